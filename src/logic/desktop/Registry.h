#pragma once

#include <string_view>

// The registry calls Velorin makes: keys below the classes root, each with a
// default text value. Paths separate their parts with '\'.
class Registry {
public:
    using Key = int;
    static constexpr Key noKey = 0;

    virtual ~Registry() = default;

    // Opens the key, creating it and any missing parent first; noKey when it
    // cannot be created or opened for writing.
    virtual Key createKey(std::string_view path) = 0;

    // Sets the key's default value; false for noKey, a closed key or a failed write.
    virtual bool setDefaultValue(Key key, std::string_view value) = 0;

    virtual void closeKey(Key key) = 0;
};
