# The hostile-archive test writes its tar, zip and RAR archives itself, member by member.
target_sources(tst_maliciousarchives PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/hostilearchive.cpp ${CMAKE_CURRENT_SOURCE_DIR}/hostilearchive.h
  ${CMAKE_CURRENT_SOURCE_DIR}/rarwriter.cpp ${CMAKE_CURRENT_SOURCE_DIR}/rarwriter.h)
