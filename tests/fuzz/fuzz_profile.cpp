// Feeds arbitrary bytes to the settings-file reader and writer as the file's text. Setting a
// key must make it read back as written, change nothing but that key's value or add lines,
// and setting it again must change nothing (a file that grows at every run is a fault).

#include "platform/PrivateProfile.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "fuzz_profile: %.*s: %.*s\n", int(what.size()), what.data(),
                 int(detail.size()), detail.data());
    std::abort();
}

struct Key {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

// The keys the program writes, with values as it writes them.
constexpr std::array<Key, 4> Keys = {
    Key{"Font", "Size", "12"}, Key{"File", "LastFile", "/home/anna/Ask/elso.ask"},
    Key{"frm_Teszt", "Left", "-50"}, Key{"frm_Teszt_Szerkeszt", "Top", "0"}};

// Only bytes inside one line may disappear: the old value. Everything else is kept, and new
// text is only added.
void checkOnlyTheValueChanged(std::string_view before, std::string_view after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const std::string_view removed = before.substr(prefix, before.size() - prefix - suffix);
    if (removed.find_first_of("\r\n") != std::string_view::npos)
        fail("a line other than the key's changed", removed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const Key& key : Keys) {
        // Reading must hold whatever the file is.
        (void)profileValue(text, key.section, key.key);
        const std::string written = profileWithValue(text, key.section, key.key, key.value);
        if (profileValue(written, key.section, key.key) != std::string(key.value))
            fail("a written key does not read back", written);
        checkOnlyTheValueChanged(text, written);
        if (profileWithValue(written, key.section, key.key, key.value) != written)
            fail("writing the same value again changed the file", written);
    }
    return 0;
}
