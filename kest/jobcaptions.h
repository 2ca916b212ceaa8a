// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Caption defaults both of Kest's windows show for a job, as GB2312 bytes (readLabCap decodes
// them). Kept once: whichever window asks first writes its default into the language file,
// so the two must never differ.

// 已取消 (Msg_HintInfo_Items6)
inline constexpr char hintCancelled[] = "\xD2\xD1\xC8\xA1\xCF\xFB";
// 替换 (Msg_Ask_Button3)
inline constexpr char buttonReplace[] = "\xCC\xE6\xBB\xBB";
// 取消 (Msg_Ask_Button4)
inline constexpr char buttonCancel[] = "\xC8\xA1\xCF\xFB";
