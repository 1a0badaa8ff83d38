// Damaged settings files, made by random edits of a good one: the reader either refuses a
// file and leaves the store alone, or loads values that all satisfy their constraints.
#include <gtest/gtest.h>

#include <random>

#include "settings/settings_file.h"
#include "test_support.h"

namespace vyr {
namespace {

using test::Model;
using test::ReadFile;
using test::Reseal;
using test::TempDir;
using test::WriteFile;

// One random edit: change, insert or delete bytes, repeat or drop a line, or cut the file.
std::string Damage(std::string content, std::mt19937& random) {
    const auto pick = [&](std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const auto byte = [&] { return static_cast<char>(pick(256)); };
    switch (pick(6)) {
        case 0:
            for (int i = 0; i < 4; ++i)
                content[pick(content.size())] = byte();
            break;
        case 1:
            content.insert(pick(content.size()), std::string(1 + pick(300), byte()));
            break;
        case 2: {
            const std::size_t at = pick(content.size());
            content.erase(at, pick(200));
            break;
        }
        case 3: {
            const std::size_t start = content.find('\n', pick(content.size()));
            if (start == std::string::npos)
                break;
            const std::size_t end = content.find('\n', start + 1);
            content.insert(pick(content.size()), content.substr(start, end - start));
            break;
        }
        case 4:
            content.resize(pick(content.size()));
            break;
        default:
            for (std::size_t at = content.find('&'); at != std::string::npos;
                 at = content.find('&', at + 2)) {
                if (pick(3) == 0)
                    content[at + 1] = byte();
            }
            break;
    }
    return content;
}

TEST(DamagedSettingsFiles, AreRefusedOrLoadConsistentValues) {
    TempDir dir;
    const std::string path = dir.File("damaged.Vyr");
    Model source;
    for (int preset = 0; preset < kPresetCount; ++preset) {
        std::string name = "N\xE4me & \xDF " + std::to_string(preset);
        source.store.SetSetting(2, preset, name);
    }
    ASSERT_EQ(SaveSettingsStore(source.store, path), SettingsFileStatus::Ok);
    const std::string good = ReadFile(path);

    std::mt19937 random(20261208);
    int loaded = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string content = Damage(good, random);
        if (round % 2 == 0)
            content = Reseal(content);  // get past the checksum as often as not
        WriteFile(path, content);

        Model m;
        m.Store("preset_name", 1, "untouched");
        const auto status = LoadSettingsStore(m.store, path);
        if (status != SettingsFileStatus::Ok) {
            ASSERT_EQ(m.Text("preset_name", 1), "untouched") << "round " << round;
            continue;
        }
        ++loaded;
        // Every stored value passes validation again without a repair.
        Model check;
        for (int preset = 0; preset < kPresetCount; ++preset) {
            for (int p = 0; p < kParameterCount; ++p) {
                std::string value(m.store.Text(p, preset));
                check.store.SetSetting(p, preset, value);
                ASSERT_EQ(value, m.store.Text(p, preset))
                    << "round " << round << " " << m.catalogue[p].key;
            }
        }
        ASSERT_TRUE(check.guard.Empty()) << "round " << round << "\n" << check.Log();
    }
    EXPECT_GT(loaded, 300);  // the edits must not all be refused, or nothing was exercised
}

}  // namespace
}  // namespace vyr
