#pragma once

#include <string>

// What the application-wide keyboard hook asks of a menu engine.
class IMenuKeys {
public:
    virtual ~IMenuKeys() = default;
    // Whether keyName ("Ctrl+S") is one of the engine's accelerators (and run it).
    virtual bool KeyAccelPressed(const std::string& keyName) = 0;
    // Whether a key the engine reported goes no further.
    virtual bool ConsumeKeys() const = 0;
};
