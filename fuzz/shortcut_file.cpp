// A menu engine's shortcut file as loading reads and applies it: each entry's
// target, and its shortcut text into the registry of shortcuts.
#include "FuzzCheck.h"

#include "logic/base/NumberText.h"
#include "logic/menus/MenuText.h"
#include "logic/menus/ShortcutFile.h"

#include <cstdint>
#include <map>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const auto entries = ShortcutFile::parse(bytes);
    if (!entries)
        return 0;
    FUZZ_CHECK(entries->size() <= size / 3);

    // Each item's shortcut text, as the engine holds it, and the registry of all.
    std::map<std::pair<bool, std::string>, std::string> items;
    MenuText::Registry registry;
    for (const ShortcutFile::Entry& e : *entries) {
        if (!e.byName) {
            const auto n = NumberText::strictNumber(e.target);
            if (!n || !NumberText::toInt32(*n))
                break;
        }
        const std::string text = MenuText::validated(e.keyAccel);
        FUZZ_CHECK(text == e.keyAccel);
        std::string& held = items[{e.byName, e.target}];
        registry.replace(held, text);
        held = text;
        const std::string shown = MenuText::displayed(text);
        FUZZ_CHECK(shown.find('|') == std::string::npos);
        if (!shown.empty()) {
            FUZZ_CHECK(MenuText::holds(text, shown));
            FUZZ_CHECK(registry.contains(shown));
        }
    }

    // Saved again, the file reads back as the same entries.
    const auto again = ShortcutFile::parse(ShortcutFile::serialize(*entries));
    FUZZ_CHECK(again && again->size() == entries->size());
    for (std::size_t i = 0; i < entries->size(); ++i) {
        const auto& a = (*again)[i];
        const auto& b = (*entries)[i];
        FUZZ_CHECK(a.byName == b.byName && a.target == b.target && a.keyAccel == b.keyAccel);
    }
    return 0;
}
