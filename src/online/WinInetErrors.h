#pragma once
// The WinINet error codes the download component reports, with their English texts.

#include <string>

namespace hx {

// The text of a code of the table ("ERROR_INTERNET_TIMEOUT - The request has timed out."), or
// nullptr when the code is not one of its 59 entries.
const char* wininetErrorText(int code);

// The number of entries of the table (59).
int wininetErrorCount();

// The status line for a WinINet code from 12001 to 12171: "<<< CODE - TEXT >>>", or the
// "ERRO NÃO PREVISTO" line for a code of that range that the table lacks. Empty for codes
// outside the range, which the component does not report.
std::string wininetStatusText(int code);

} // namespace hx
