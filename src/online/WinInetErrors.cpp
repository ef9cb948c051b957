#include "online/WinInetErrors.h"

#include <algorithm>
#include <iterator>

namespace hx {

namespace {

struct Entry {
    int code;
    const char* text;
};

// Sorted by code.
constexpr Entry kTable[] = {
    {12001, "ERROR_INTERNET_OUT_OF_HANDLES - No more handles could be generated at this time."},
    {12002, "ERROR_INTERNET_TIMEOUT - The request has timed out."},
    {12003, "ERROR_INTERNET_EXTENDED_ERROR - An extended error was returned from the server."},
    {12004, "ERROR_INTERNET_INTERNAL_ERROR - An internal error has occurred."},
    {12005, "ERROR_INTERNET_INVALID_URL - The URL is invalid."},
    {12006, "ERROR_INTERNET_UNRECOGNIZED_SCHEME - The URL scheme could not be recognized or is "
            "not supported."},
    {12007, "ERROR_INTERNET_NAME_NOT_RESOLVED - The server name could not be resolved."},
    {12008, "ERROR_INTERNET_PROTOCOL_NOT_FOUND - The requested protocol could not be located."},
    {12009, "ERROR_INTERNET_INVALID_OPTION - A request specified an invalid option value."},
    {12010, "ERROR_INTERNET_BAD_OPTION_LENGTH - The length of an option is incorrect for the "
            "type of option specified."},
    {12011, "ERROR_INTERNET_OPTION_NOT_SETTABLE - The request option cannot be set, only "
            "queried."},
    {12012, "ERROR_INTERNET_SHUTDOWN - The Internet support is being shut down or unloaded."},
    {12013, "ERROR_INTERNET_INCORRECT_USER_NAME - The request to connect and log on failed "
            "because the user name is incorrect."},
    {12014, "ERROR_INTERNET_INCORRECT_PASSWORD - The request to connect and log on failed "
            "because the password is incorrect."},
    {12015, "ERROR_INTERNET_LOGIN_FAILURE - The request to connect and log on was rejected."},
    {12016, "ERROR_INTERNET_INVALID_OPERATION - The requested operation is invalid."},
    {12017, "ERROR_INTERNET_OPERATION_CANCELLED - The operation was canceled."},
    {12018, "ERROR_INTERNET_INCORRECT_HANDLE_TYPE - The type of handle supplied is incorrect "
            "for this operation."},
    {12019, "ERROR_INTERNET_INCORRECT_HANDLE_STATE - The requested operation cannot be carried "
            "out because the handle supplied is not in the correct state."},
    {12020, "ERROR_INTERNET_NOT_PROXY_REQUEST - The request cannot be made via a proxy."},
    {12021, "ERROR_INTERNET_REGISTRY_VALUE_NOT_FOUND - A required registry value could not be "
            "located."},
    {12022, "ERROR_INTERNET_BAD_REGISTRY_PARAMETER - A required registry value was located but "
            "is an incorrect type or has an invalid value."},
    {12023, "ERROR_INTERNET_NO_DIRECT_ACCESS - Direct network access cannot be made at this "
            "time."},
    {12024, "ERROR_INTERNET_NO_CONTEXT - An asynchronous request could not be made because a "
            "zero context value was supplied."},
    {12025, "ERROR_INTERNET_NO_CALLBACK - An asynchronous request could not be made because a "
            "callback function has not been set."},
    {12026, "ERROR_INTERNET_REQUEST_PENDING - The required operation could not be completed "
            "because one or more requests are pending."},
    {12027, "ERROR_INTERNET_INCORRECT_FORMAT - The format of the request is invalid."},
    {12028, "ERROR_INTERNET_ITEM_NOT_FOUND - The requested item could not be located."},
    {12029, "ERROR_INTERNET_CANNOT_CONNECT - The attempt to connect to the server failed."},
    {12030, "ERROR_INTERNET_CONNECTION_ABORTED - The connection with the server has been "
            "terminated."},
    {12031, "ERROR_INTERNET_CONNECTION_RESET - The connection with the server has been reset."},
    {12032, "ERROR_INTERNET_FORCE_RETRY - The request must be sent again."},
    {12033, "ERROR_INTERNET_INVALID_PROXY_REQUEST - The request to the proxy was invalid."},
    {12036, "ERROR_INTERNET_HANDLE_EXISTS - The request failed because the handle already "
            "exists."},
    {12037, "ERROR_INTERNET_SEC_CERT_DATE_INVALID - The date in the certificate is invalid or "
            "has expired."},
    {12038, "ERROR_INTERNET_SEC_CERT_CN_INVALID - The certificate's common name does not match "
            "the requested host name."},
    {12039, "ERROR_INTERNET_HTTP_TO_HTTPS_ON_REDIR - The request was redirected from a "
            "non-secure to a secure connection."},
    {12040, "ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR - The request was redirected from a secure "
            "to a non-secure connection."},
    {12041, "ERROR_INTERNET_MIXED_SECURITY - The content is not entirely secure."},
    {12042, "ERROR_INTERNET_CHG_POST_IS_NON_SECURE - The data is about to be posted again over "
            "a non-secure connection."},
    {12043, "ERROR_INTERNET_POST_IS_NON_SECURE - The data is about to be posted over a "
            "non-secure connection."},
    {12110, "ERROR_FTP_TRANSFER_IN_PROGRESS - The operation cannot be made because a transfer "
            "is already in progress."},
    {12111, "ERROR_FTP_DROPPED - The transfer was ended because the connection was dropped."},
    {12130, "ERROR_GOPHER_PROTOCOL_ERROR - An error was detected while parsing the data "
            "returned from the server."},
    {12131, "ERROR_GOPHER_NOT_FILE - The request must be made for a file locator."},
    {12132, "ERROR_GOPHER_DATA_ERROR - An error was detected while receiving data from the "
            "server."},
    {12133, "ERROR_GOPHER_END_OF_DATA - The end of the data has been reached."},
    {12134, "ERROR_GOPHER_INVALID_LOCATOR - The supplied locator is not valid."},
    {12135, "ERROR_GOPHER_INCORRECT_LOCATOR_TYPE - The type of the locator is not correct for "
            "this operation."},
    {12136, "ERROR_GOPHER_NOT_GOPHER_PLUS - The requested operation can only be made against a "
            "Gopher+ server."},
    {12137, "ERROR_GOPHER_ATTRIBUTE_NOT_FOUND - The requested attribute could not be located."},
    {12138, "ERROR_GOPHER_UNKNOWN_LOCATOR - The locator type is unknown."},
    {12150, "ERROR_HTTP_HEADER_NOT_FOUND - The requested header could not be located."},
    {12151, "ERROR_HTTP_DOWNLEVEL_SERVER - The server did not return any headers."},
    {12152, "ERROR_HTTP_INVALID_SERVER_RESPONSE - The server response could not be parsed."},
    {12153, "ERROR_HTTP_INVALID_HEADER - The supplied header is invalid."},
    {12154, "ERROR_HTTP_INVALID_QUERY_REQUEST - The request made to query the headers is "
            "invalid."},
    {12155, "ERROR_HTTP_HEADER_ALREADY_EXISTS - The header could not be added because it "
            "already exists."},
    {12156, "ERROR_HTTP_REDIRECT_FAILED - The redirection failed because either the scheme "
            "changed or all attempts made to redirect failed."},
};

} // namespace

const char* wininetErrorText(int code)
{
    const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), code,
                                     [](const Entry& e, int c) { return e.code < c; });
    return it != std::end(kTable) && it->code == code ? it->text : nullptr;
}

int wininetErrorCount()
{
    return static_cast<int>(std::size(kTable));
}

std::string wininetStatusText(int code)
{
    if (code < 12001 || code > 12171)
        return {};
    if (const char* text = wininetErrorText(code))
        return "<<< " + std::to_string(code) + " - " + text + " >>>";
    return "<<< " + std::to_string(code) +
           " - ERRO NÃO PREVISTO - Por favor, verifique o código do erro. >>>";
}

} // namespace hx
