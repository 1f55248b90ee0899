#pragma once

#include <cstdint>
#include <string>

class Files;
struct AppPaths;
struct Form1Controls;

// The main window's two skin colours: the background (the window, Frame1
// and, from the start, the chat boxes) and the layer behind the keys
// (Shape1). Read from the skin file at start-up, replaced by the picker.
class SkinColours {
public:
    SkinColours(const Form1Controls& ui, Files& files, const AppPaths& paths);

    // Applies the skin file, if there is one.
    void applyStartUp();
    // Applies both colours now and keeps them for the next start.
    void commit(std::int32_t background, std::int32_t layer);

    // Line 1 of the skin file as read at start-up; empty without one.
    const std::string& backgroundText() const { return backgroundText_; }

private:
    void applyBackground(std::int32_t colour);
    void applyLayer(std::int32_t colour);

    const Form1Controls& ui_;
    Files& files_;
    const AppPaths& paths_;
    std::string backgroundText_;
};
