// The JSON strings of vyrctl --json: escapes, UTF-8 kept, device Latin-1 converted, and any
// bytes at all turned into a string that a JSON parser reads back.
#include "cli/json_text.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <gtest/gtest.h>

namespace vyr::cli {
namespace {

TEST(JsonString, EscapesWhatJsonRequires) {
    EXPECT_EQ(JsonString(""), R"("")");
    EXPECT_EQ(JsonString(R"(say "hi" \ bye)"), R"("say \"hi\" \\ bye")");
    EXPECT_EQ(JsonString("a\nb\tc\rd"), R"("a\nb\tc\rd")");
    EXPECT_EQ(JsonString(std::string_view("\0\x01\x1f\x7f", 4)), R"("\u0000\u0001\u001f\u007f")");
    EXPECT_EQ(JsonString("/ and ' stay"), R"("/ and ' stay")");
}

TEST(JsonString, KeepsUtf8AndConvertsLatin1) {
    // é, €, a clef beyond the first plane: well-formed UTF-8 goes through untouched.
    EXPECT_EQ(JsonString("\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E"),
              "\"\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E\"");
    // Latin-1 bytes from a device: é and ÿ.
    EXPECT_EQ(JsonString("caf\xE9 \xFF"), "\"caf\xC3\xA9 \xC3\xBF\"");
    // Forms that are not UTF-8: overlong, a surrogate, beyond U+10FFFF, cut short.
    EXPECT_EQ(JsonString("\xC0\xAF"), "\"\xC3\x80\xC2\xAF\"");
    EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"\xC3\xAD\xC2\xA0\xC2\x80\"");
    EXPECT_EQ(JsonString("\xF4\x90\x80\x80"), "\"\xC3\xB4\xC2\x90\xC2\x80\xC2\x80\"");
    EXPECT_EQ(JsonString("\xE2\x82"), "\"\xC3\xA2\xC2\x82\"");
}

// Random bytes (and random UTF-8) through JsonString, one string per line, read back by
// Python's strict JSON reader: every line must be one string, and a text that is
// well-formed UTF-8 must come back unchanged.
TEST(JsonString, AnyBytesMakeAStringAParserReads) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("vyr_json_text_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::mt19937 random(20261209);
    std::ofstream lines(folder / "lines"), expected(folder / "expected");
    const char* pieces[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9D\x84\x9E", "\"", "\\", "\n", "a"};
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const std::size_t length = random() % 24;
        const bool utf8 = i % 2 == 0;
        for (std::size_t j = 0; j < length; ++j) {
            if (utf8)
                text += pieces[random() % std::size(pieces)];
            else
                text += static_cast<char>(random() % 256);
        }
        lines << JsonString(text) << '\n';
        for (const char c : text) {
            constexpr char kHex[] = "0123456789abcdef";
            const auto byte = static_cast<unsigned char>(c);
            expected << kHex[byte >> 4] << kHex[byte & 15];
        }
        expected << '\n';
    }
    lines.close();
    expected.close();
    const std::string script =
        "import json,sys\n"
        "got = open(sys.argv[1], encoding='utf-8').read().split('\\n')\n"
        "want = open(sys.argv[2], encoding='utf-8').read().split('\\n')\n"
        "for g, w in zip(got[:-1], want[:-1]):\n"
        "    s = json.loads(g)\n"
        "    assert isinstance(s, str), g\n"
        "    s.encode('utf-8')\n"
        "    try:\n"
        "        raw = bytes.fromhex(w).decode('utf-8')\n"
        "    except UnicodeDecodeError:\n"
        "        continue\n"
        "    assert s == raw, g\n"
        "print(len(got) - 1)\n";
    std::ofstream(folder / "check.py") << script;
    const std::string command = "python3 " + (folder / "check.py").string() + " " +
                                (folder / "lines").string() + " " + (folder / "expected").string() +
                                " >" + (folder / "out").string() + " 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream out(folder / "out");
    const std::string said((std::istreambuf_iterator<char>(out)), {});
    EXPECT_EQ(status, 0) << said;
    EXPECT_EQ(said, "3000\n");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vyr::cli
