#pragma once

// Nonzero while an incoming call is being signalled. The source comes from EZX_CALL:
//   file:PATH   rings while PATH exists
//   (unset)     never rings
int UTIL_GetIncomingCallStatus();
