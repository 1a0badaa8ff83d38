// The settings file: escapes, line parser, checksum, and whole-store save and load.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "test_support.h"

namespace vyr {
namespace {

using test::Model;
using test::ReadFile;
using test::Reseal;
using test::TempDir;
using test::WriteFile;

std::string Replace(std::string text, std::string_view from, std::string_view to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(RunningChecksum, CountsPrintableAsciiOnly) {
    EXPECT_EQ(SettingsChecksum("abc"), "702a");
    EXPECT_EQ(SettingsChecksum(""), "0");
    // Line ends and other characters neither add nor advance the counter.
    EXPECT_EQ(SettingsChecksum("a\r\nb\xE4"
                               "c\n"),
              "702a");
    EXPECT_NE(SettingsChecksum("acb"), "702a");
    // The 8-bit counter wraps: a character at position 256 weighs as at position 0.
    RunningChecksum wrapped;
    wrapped.Add(std::string(256, ' '));
    const std::string before = wrapped.Hex();
    wrapped.Add("a");
    RunningChecksum single;
    single.Add("a");
    EXPECT_EQ(std::stoul(wrapped.Hex(), nullptr, 16) - std::stoul(before, nullptr, 16),
              std::stoul(single.Hex(), nullptr, 16));
}

TEST(LineEscape, RoundTripsEveryEscapedCharacter) {
    const std::string line = "0:mic_label=&\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xA7\xB0\xB4\nx";
    const std::string escaped = EscapeLine(line);
    EXPECT_EQ(escaped, "0:mic_label=&&&a&o&u&A&O&U&z&s&d&c&nx");
    EXPECT_EQ(UnescapeLine(escaped), line);
    EXPECT_EQ(UnescapeLine("a&&b"), "a&b");
    // Never written by the tool: kept as they are.
    EXPECT_EQ(UnescapeLine("R&B &x&"), "R&B &x&");
}

TEST(ParseSettingsLine, ReadsPresetKeyAndValue) {
    auto line = ParseSettingsLine("3:rec_mic_level=12\r\n", true);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->preset, 3);
    EXPECT_EQ(line->key, "rec_mic_level");
    EXPECT_EQ(line->value, "12");

    line = ParseSettingsLine("0:rec_meta_cc=", true);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->value, "");
    line = ParseSettingsLine("1:mic_label=a=b &a", true);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->value, "a=b \xE4");
    line = ParseSettingsLine("security_token=702a", false);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->key, "security_token");
    EXPECT_EQ(line->value, "702a");
}

TEST(ParseSettingsLine, PresetField) {
    EXPECT_FALSE(ParseSettingsLine("10:mic_label=x", true));
    EXPECT_FALSE(ParseSettingsLine("-1:mic_label=x", true));
    EXPECT_FALSE(ParseSettingsLine(":mic_label=x", true));
    EXPECT_FALSE(ParseSettingsLine("0005:mic_label=x", true));
    EXPECT_FALSE(ParseSettingsLine("mic_label=x", true));
    EXPECT_EQ(ParseSettingsLine("x:mic_label=x", true)->preset, 0);  // no digits reads as 0
    EXPECT_EQ(ParseSettingsLine("005:mic_label=x", true)->preset, 5);
    EXPECT_EQ(ParseSettingsLine(" 7:mic_label=x", true)->preset, 7);
}

TEST(ParseSettingsLine, KeyAndValueLengths) {
    EXPECT_FALSE(ParseSettingsLine("1:=x", true));
    EXPECT_FALSE(ParseSettingsLine("1:mic_label x", true));
    EXPECT_TRUE(ParseSettingsLine("1:" + std::string(60, 'k') + "=x", true));
    EXPECT_FALSE(ParseSettingsLine("1:" + std::string(61, 'k') + "=x", true));
    EXPECT_TRUE(ParseSettingsLine("1:k=" + std::string(60, 'v') + "   ", true));
    EXPECT_FALSE(ParseSettingsLine("1:k=" + std::string(61, 'v'), true));
    // The limit counts characters after unescaping.
    EXPECT_TRUE(ParseSettingsLine(
        "1:k=" + std::string(30, 'v') +
            [] {
                std::string s;
                for (int i = 0; i < 30; ++i)
                    s += "&a";
                return s;
            }(),
        true));
}

class SettingsFile : public ::testing::Test {
  protected:
    Model m;
    TempDir dir;
    std::string path = dir.File("settings.Vyr");

    void Save() { ASSERT_EQ(SaveSettingsStore(m.store, path), SettingsFileStatus::Ok); }
    SettingsFileStatus Load() { return LoadSettingsStore(m.store, path); }
};

TEST_F(SettingsFile, DefaultsMatchTheKeptFixtureByteForByte) {
    Save();
    EXPECT_EQ(ReadFile(path), ReadFile(VYR_FIXTURES "/defaults.Vyr"));
}

TEST_F(SettingsFile, RoundTripKeepsEveryValueWithoutAReport) {
    for (int preset = 0; preset < kPresetCount; ++preset) {
        m.Set("preset_name", preset, "Pr\xE4set&" + std::to_string(preset));
        m.Set("rec_mic_level", preset, std::to_string(preset * 6));
        m.Set("rec_meta_description0", preset, "first line\nsecond \xB0 line\n\nthird");
        m.Set("rec_meta_originator", preset, "  leading blanks & \"quotes\" ~ \xA7\xB4\xDF");
    }
    m.Set("mic_label", 3, "\xC4\xD6\xDC_label");
    m.Store("rec_meta_cc", 2, "");
    m.store.SetEnabled(param::li_adv, 2, false);
    Save();

    Model loaded;
    loaded.guard.LogMissing("previous", 1, "x");
    ASSERT_EQ(LoadSettingsStore(loaded.store, path), SettingsFileStatus::Ok);
    EXPECT_EQ(loaded.Log(), "");
    EXPECT_EQ(loaded.guard.Context(), L"loading from file");
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p) {
            EXPECT_EQ(loaded.store.Text(p, preset), m.store.Text(p, preset))
                << p << " in " << preset;
            EXPECT_TRUE(loaded.store.Enabled(p, preset));
        }
    }
    EXPECT_EQ(loaded.Text("rec_meta_description0", 7), "first line\nsecond \xB0 line\n\nthird");
}

TEST_F(SettingsFile, WritesEscapedAsciiLinesWithTheirChecksum) {
    m.Set("mic_label", 0, "M\xE4rz");
    Save();
    const std::string content = ReadFile(path);
    EXPECT_NE(content.find("\n0:mic_label=M&arz\n"), std::string::npos);
    EXPECT_NE(content.find("\n9:mic_label=M&arz\n"), std::string::npos);
    for (unsigned char c : content)
        EXPECT_LT(c, 0x80);
    const auto firstEnd = content.find('\n');
    EXPECT_EQ(content.substr(0, firstEnd),
              "security_token=" + SettingsChecksum(content.substr(firstEnd + 1)));
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 861);
}

TEST_F(SettingsFile, LineEndsAndBlankLinesDoNotCount) {
    Save();
    std::string content = ReadFile(path);
    std::string crlf;
    for (char c : content)
        crlf += c == '\n' ? std::string("\r\n\n") : std::string(1, c);
    WriteFile(path, crlf);
    m.Store("preset_name", 1, "changed");
    EXPECT_EQ(Load(), SettingsFileStatus::Ok);
    EXPECT_EQ(m.Log(), "");
    EXPECT_EQ(m.Text("preset_name", 1), "Factory_settings");
}

// Every refusal leaves the store and the previous report as they were.
TEST_F(SettingsFile, RefusalsLeaveTheStoreUnchanged) {
    Save();
    const std::string good = ReadFile(path);
    m.Store("preset_name", 1, "kept");
    m.store.SetEnabled(param::li_adv, 1, false);
    m.guard.BeginGuard(kLoadingFromDevice);
    m.guard.LogMissing("earlier", 1, "x");
    const std::string log = m.Log();

    const std::string digitChanged = Replace(good, "1:rec_mic_level=25", "1:rec_mic_level=26");
    const std::string token = good.substr(15, good.find('\n') - 15);
    std::string upper = token;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_NE(upper, token) << "the checksum should hold a letter for this case";

    const std::pair<std::string, SettingsFileStatus> cases[] = {
        {"", SettingsFileStatus::InvalidFormat},
        {"\n" + good, SettingsFileStatus::InvalidFormat},
        {"0:mic_label=x\n", SettingsFileStatus::InvalidFormat},
        {"securitytoken=0\n", SettingsFileStatus::InvalidFormat},
        {"security_token=0" + std::string(5000, ' ') + "\n", SettingsFileStatus::InvalidFormat},
        {digitChanged, SettingsFileStatus::Corrupted},
        {Replace(good, token, upper), SettingsFileStatus::Corrupted},
        {good + "0:mic_label=appended\n", SettingsFileStatus::Corrupted},
    };
    for (const auto& [content, status] : cases) {
        WriteFile(path, content);
        EXPECT_EQ(Load(), status) << content.substr(0, 40);
        EXPECT_EQ(m.Text("preset_name", 1), "kept");
        EXPECT_FALSE(m.store.Enabled(param::li_adv, 1));
        EXPECT_EQ(m.Log(), log);
        EXPECT_EQ(m.guard.Context(), L"loading from device");
    }
    EXPECT_EQ(LoadSettingsStore(m.store, dir.File("absent.Vyr")), SettingsFileStatus::CannotOpen);
    EXPECT_EQ(LoadSettingsStore(m.store, dir.Path().string()), SettingsFileStatus::CannotOpen);
    EXPECT_EQ(m.Text("preset_name", 1), "kept");
}

TEST_F(SettingsFile, MissingAndInvalidValuesAreRepairedInFileOrder) {
    Save();
    std::string content = ReadFile(path);
    content = Replace(content, "4:rec_mic_level=25\n", "");
    content = Replace(content, "2:rec_line_level=0\n", "2:rec_line_level=99\n");
    content =
        Replace(content, "6:preset_name=Factory_settings\n", "6:preset_name=_INVALID_UNSET_\n");
    WriteFile(path, Reseal(content));
    ASSERT_EQ(Load(), SettingsFileStatus::Ok);
    EXPECT_EQ(
        m.Log(),
        "    parameter: \"rec_line_level\" preset: #2 invalid_value: \"99\" new value: \"0\"\n"
        "    parameter: \"rec_mic_level\" preset: #4 -missing- new value: \"25\"\n"
        "    parameter: \"preset_name\" preset: #6 -missing- new value: \"Factory_settings\"\n");
    EXPECT_EQ(m.Text("rec_line_level", 2), "0");
}

TEST_F(SettingsFile, LaterLinesWinAndGlobalsTakePresetNine) {
    Save();
    std::string content = ReadFile(path);
    content = Replace(content, "3:preset_name=Factory_settings\n",
                      "3:preset_name=first\n3:preset_name=second\n");
    content = Replace(content, "2:mic_label=Station_ID\n", "2:mic_label=Two\n");
    content = Replace(content, "9:mic_label=Station_ID\n", "9:mic_label=Nine\n");
    content += "10:preset_name=ignored\nnot a line at all\n0:unknown_key=1\n";
    WriteFile(path, Reseal(content));
    ASSERT_EQ(Load(), SettingsFileStatus::Ok);
    EXPECT_EQ(m.Log(), "");
    EXPECT_EQ(m.Text("preset_name", 3), "second");
    for (int preset = 0; preset < kPresetCount; ++preset)
        EXPECT_EQ(m.Text("mic_label", preset), "Nine");
}

TEST_F(SettingsFile, HandMadeFixtureWithFewLines) {
    const std::string fixture = VYR_FIXTURES "/partial.Vyr";
    ASSERT_EQ(LoadSettingsStore(m.store, fixture), SettingsFileStatus::Ok);
    EXPECT_EQ(m.Text("preset_name", 1), "Studio \xC4");
    EXPECT_EQ(m.Text("rec_mic_level", 1), "25");  // 77 is out of range
    const std::string log = m.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 860 - 2 + 1);
    EXPECT_NE(log.find("    parameter: \"rec_mic_level\" preset: #1 invalid_value: \"77\" new "
                       "value: \"25\"\n"),
              std::string::npos);
    EXPECT_NE(
        log.find("    parameter: \"mic_label\" preset: #0 -missing- new value: \"Station_ID\"\n"),
        std::string::npos);
}

TEST_F(SettingsFile, LargeBodiesAndOverlongLinesWithinTheLimitAreRead) {
    Save();
    std::string content = ReadFile(path);
    // 300 kB of lines that do not parse, one of them 100 kB long, in the middle of the body.
    std::string filler;
    for (int i = 0; i < 2000; ++i)
        filler += "filler line " + std::string(90, 'f') + "\n";
    filler += std::string(100000, 'x') + "=" + std::string(10, 'y') + "\n";
    content = Replace(content, "5:rec_mic_level=25\n", "5:rec_mic_level=31\n" + filler);
    ASSERT_GT(content.size(), 154800u * 2);
    WriteFile(path, Reseal(content));
    ASSERT_EQ(Load(), SettingsFileStatus::Ok);
    EXPECT_EQ(m.Log(), "");
    EXPECT_EQ(m.Text("rec_mic_level", 5), "31");
    EXPECT_EQ(m.Text("li_adv", 9), "34");

    // A file that is one long line has no token line and is refused as malformed.
    WriteFile(path, std::string(1 << 20, 'z'));
    EXPECT_EQ(Load(), SettingsFileStatus::InvalidFormat);
}

TEST_F(SettingsFile, AFileBeyondTheSizeLimitIsRefusedAsMalformed) {
    Save();
    // Line feeds do not count in the checksum: the padded file is intact, only large.
    const std::string content = ReadFile(path);
    const std::string full = content + std::string(kMaxSettingsFileSize - content.size(), '\n');
    WriteFile(path, full);
    EXPECT_EQ(Load(), SettingsFileStatus::Ok);

    m.Store("preset_name", 1, "kept");
    WriteFile(path, full + "\n");
    std::string reason;
    EXPECT_EQ(LoadSettingsStore(m.store, path, &reason), SettingsFileStatus::InvalidFormat);
    EXPECT_EQ(reason, "larger than 1048576 bytes");
    EXPECT_EQ(m.Text("preset_name", 1), "kept");
    // Content already in memory is held to the same limit.
    EXPECT_EQ(LoadSettingsContent(m.store, full + "\n"), SettingsFileStatus::InvalidFormat);
    EXPECT_EQ(m.Text("preset_name", 1), "kept");
    EXPECT_EQ(LoadSettingsContent(m.store, full), SettingsFileStatus::Ok);
    EXPECT_EQ(m.Text("preset_name", 1), "Factory_settings");
}

TEST_F(SettingsFile, FailuresCarryTheSystemsReason) {
    std::string reason = "stale";
    EXPECT_EQ(LoadSettingsStore(m.store, dir.File("absent.Vyr"), &reason),
              SettingsFileStatus::CannotOpen);
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(SaveSettingsStore(m.store, dir.File("no/such/folder.Vyr"), &reason),
              SettingsFileStatus::CannotWrite);
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(LoadSettingsStore(m.store, "/dev/null", &reason), SettingsFileStatus::InvalidFormat);
    EXPECT_EQ(reason, "not a regular file");
    // A refusal the message explains by itself has no further reason.
    WriteFile(path, "0:mic_label=x\n");
    EXPECT_EQ(LoadSettingsStore(m.store, path, &reason), SettingsFileStatus::InvalidFormat);
    EXPECT_EQ(reason, "");
    Save();
    EXPECT_EQ(LoadSettingsStore(m.store, path, &reason), SettingsFileStatus::Ok);
    EXPECT_EQ(reason, "");
}

TEST_F(SettingsFile, SaveReplacesAnExistingFileAndReportsFailures) {
    WriteFile(path, "old content");
    Save();
    EXPECT_EQ(ReadFile(path), FormatSettingsFile(m.store));
    EXPECT_EQ(SaveSettingsStore(m.store, dir.File("no/such/folder.Vyr")),
              SettingsFileStatus::CannotWrite);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

    const auto message = MessageFor(SettingsFileStatus::CannotWrite);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->title, "File error");
    EXPECT_EQ(message->text, "Could not save settings file");
    EXPECT_EQ(MessageFor(SettingsFileStatus::InvalidFormat)->icon, MessageIcon::Error);
    EXPECT_EQ(MessageFor(SettingsFileStatus::Corrupted)->text,
              "The settings file has been corrupted and cannot be read.");
    EXPECT_FALSE(MessageFor(SettingsFileStatus::Ok));
    EXPECT_EQ(WithSettingsExtension("a"), "a.Vyr");
    EXPECT_EQ(WithSettingsExtension("a.Vyr"), "a.Vyr");
    EXPECT_EQ(WithSettingsExtension("a.vyr"), "a.vyr.Vyr");
}

}  // namespace
}  // namespace vyr
