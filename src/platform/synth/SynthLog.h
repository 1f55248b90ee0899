#pragma once

#include <functional>
#include <string>

// How the synthesizer's library tells the program what happened: a level of
// VelorinSynthLogLevel and one line of text.
using SynthLog = std::function<void(int level, const std::string& text)>;
