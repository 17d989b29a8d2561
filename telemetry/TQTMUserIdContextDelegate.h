#pragma once

#include <optional>
#include <string>

class TQTMUserIdContext;

// Told about each change of the user id, on the thread that made it, outside the context's lock.
class TQTMUserIdContextDelegate {
public:
    virtual ~TQTMUserIdContextDelegate() = default;
    virtual void userIdContextDidUpdateUserId(TQTMUserIdContext& context,
                                              const std::optional<std::string>& userId) = 0;
};
