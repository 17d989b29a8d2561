#pragma once

namespace tqcrash {

// Status codes of the crash-time engine. Numbers are stable: they appear in log lines.
enum tqcrash_error_t : int {
    TQCRASH_ESUCCESS = 0,
    TQCRASH_EUNKNOWN = 1,
    TQCRASH_OUTPUT_ERR = 2,
    TQCRASH_ENOMEM = 3,
    TQCRASH_ENOTSUP = 4,
    TQCRASH_EINVAL = 5,
    TQCRASH_EINTERNAL = 6,
    TQCRASH_EACCESS = 7,
    TQCRASH_ENOTFOUND = 8,
    TQCRASH_EINVALID_DATA = 9,
};

// Returns the status of `expression` from the calling function unless it is TQCRASH_ESUCCESS.
#define TQCRASH_TRY(expression)                                                                                \
    do {                                                                                                       \
        const ::tqcrash::tqcrash_error_t tqcrashTryStatus = (expression);                                      \
        if (tqcrashTryStatus != ::tqcrash::TQCRASH_ESUCCESS) return tqcrashTryStatus;                          \
    } while (0)

// The text of a status code ("Unhandled error code" for any other value). Safe in a signal
// handler: returns a constant string.
const char* tqcrash_strerror(int error);

} // namespace tqcrash
