#include "crashcapture/TQCrashError.h"

namespace tqcrash {

const char* tqcrash_strerror(int error) {
    switch (error) {
    case TQCRASH_ESUCCESS: return "No error";
    case TQCRASH_EUNKNOWN: return "Unknown error";
    case TQCRASH_OUTPUT_ERR: return "Output file can not be opened (or written to)";
    case TQCRASH_ENOMEM: return "No memory available";
    case TQCRASH_ENOTSUP: return "Operation not supported";
    case TQCRASH_EINVAL: return "Invalid argument";
    case TQCRASH_EINTERNAL: return "Internal error";
    case TQCRASH_EACCESS: return "Access denied";
    case TQCRASH_ENOTFOUND: return "Not found";
    case TQCRASH_EINVALID_DATA: return "The input data is in an unknown or invalid format.";
    default: return "Unhandled error code";
    }
}

} // namespace tqcrash
