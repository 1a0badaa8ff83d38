// vyrctl file check | dump | diff | defaults, run as a script would run them.
#include <fstream>
#include <vector>

#include "settings/model.h"
#include "settings/settings_file.h"
#include "vyrctl_runner.h"

namespace vyr::test {
namespace {

class VyrctlFile : public VyrctlTest {};

TEST_F(VyrctlFile, DefaultsAreAcceptedSilentlyAndDumpAllValues) {
    const std::string path = File("defaults.Vyr");
    Result run = Vyrctl("file defaults " + path);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");

    run = Vyrctl("file check " + path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    run = Vyrctl("file dump " + path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    std::istringstream lines(run.out);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line))
        all.push_back(line);
    ASSERT_EQ(all.size(), 860u);
    EXPECT_EQ(all[0], "0:mic_label=Station_ID");
    EXPECT_EQ(all[43], "0:rec_meta_description0=Vyr default recording description");
    EXPECT_EQ(all[44], "0:rec_meta_description1=");
    EXPECT_EQ(all[86 + 22], "1:rec_mic_level=25");
    EXPECT_EQ(all[859], "9:li_adv=34");
}

TEST_F(VyrctlFile, RepairsAreReportedAndValuesPrintedAsUtf8) {
    const std::string fixture = std::string(VYR_FIXTURES) + "/partial.Vyr";
    Result run = Vyrctl("file check " + fixture);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("    parameter: \"rec_mic_level\" preset: #1 invalid_value: \"77\" new "
                           "value: \"25\"\n"),
              std::string::npos);
    EXPECT_TRUE(
        run.out.ends_with("    parameter: \"li_adv\" preset: #9 -missing- new value: \"34\"\n"));

    run = Vyrctl("file dump " + fixture);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("-missing-"), std::string::npos);
    EXPECT_NE(run.out.find("\n1:preset_name=Studio \xC3\x84\n"), std::string::npos);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 860);
}

std::vector<std::string> Lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(VyrctlFile, DumpWritesEveryValueOnOneLine) {
    SettingsModel model;
    std::string text = "line one\nline two \\ C:\\n \xC4";
    model.store.SetSetting(model.catalogue.Find("rec_meta_description1"), 3, text);
    text = "\\";
    model.store.SetSetting(model.catalogue.Find("rec_meta_cc"), 3, text);
    const std::string path = File("escapes.Vyr");
    ASSERT_EQ(SaveSettingsStore(model.store, path), SettingsFileStatus::Ok);

    const Result run = Vyrctl("file dump " + path);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 860u);
    EXPECT_EQ(lines[3 * 86 + 44],
              "3:rec_meta_description1=line one\\nline two \\\\ C:\\\\n \xC3\x84");
    EXPECT_EQ(lines[3 * 86 + 49], "3:rec_meta_cc=\\\\");
    EXPECT_EQ(lines[3 * 86 + 50], "3:rec_meta_ooo=OOO");
}

TEST_F(VyrctlFile, DiffListsTheDifferingValuesInDumpOrder) {
    const std::string old = File("old.Vyr");
    ASSERT_EQ(Vyrctl("file defaults " + old).status, 0);
    SettingsModel model;
    std::string text = "a\nb\\c \xC4";
    model.store.SetSetting(model.catalogue.Find("rec_meta_description1"), 3, text);
    text = "30";
    model.store.SetSetting(model.catalogue.Find("rec_mic_level"), 2, text);
    text = "Booth";  // global: in every preset
    model.store.SetSetting(model.catalogue.Find("mic_label"), 5, text);
    const std::string now = File("now.Vyr");
    ASSERT_EQ(SaveSettingsStore(model.store, now), SettingsFileStatus::Ok);

    Result run = Vyrctl("file diff " + old + " " + old);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    run = Vyrctl("file diff " + old + " " + now);
    EXPECT_EQ(run.status, 9);
    EXPECT_EQ(run.err, "");
    std::string expected;
    for (int preset = 0; preset < kPresetCount; ++preset) {
        expected += std::to_string(preset) + ":mic_label: Station_ID -> Booth\n";
        if (preset == 2)
            expected += "2:rec_mic_level: 25 -> 30\n";
        if (preset == 3)
            expected += "3:rec_meta_description1:  -> a\\nb\\\\c \xC3\x84\n";
    }
    EXPECT_EQ(run.out, expected);
    run = Vyrctl("file diff " + now + " " + old);
    EXPECT_EQ(run.status, 9);
    EXPECT_EQ(Lines(run.out)[3], "2:rec_mic_level: 30 -> 25");

    // A file that needs repairs is compared as loaded; the repairs go to stderr.
    const std::string fixture = std::string(VYR_FIXTURES) + "/partial.Vyr";
    run = Vyrctl("file diff " + fixture + " " + old);
    EXPECT_EQ(run.status, 9);
    EXPECT_NE(run.err.find("-missing-"), std::string::npos);
    EXPECT_NE(run.out.find("1:preset_name: Studio \xC3\x84 -> Factory_settings\n"),
              std::string::npos);
    EXPECT_EQ(run.out.find("1:rec_mic_level:"), std::string::npos);  // 77 was repaired to 25
}

TEST_F(VyrctlFile, DiffFailsAsCheckOnEitherFile) {
    const std::string good = File("good.Vyr");
    ASSERT_EQ(Vyrctl("file defaults " + good).status, 0);
    std::ofstream(File("format.Vyr")) << "0:mic_label=x\n";
    const std::string absent = File("absent.Vyr");
    const std::pair<std::string, int> cases[] = {
        {good + " " + absent, 4}, {absent + " " + good, 4},
        {File("format.Vyr") + " " + good, 5}, {good + " " + File("format.Vyr"), 5}};
    for (const auto& [files, status] : cases) {
        const Result run = Vyrctl("file diff " + files);
        EXPECT_EQ(run.status, status) << files;
        EXPECT_EQ(run.out, "") << files;
    }
    EXPECT_EQ(Vyrctl("file diff " + good + " " + absent).err,
              "vyrctl: cannot open " + absent + ": No such file or directory\n");
}

TEST_F(VyrctlFile, DefaultsRefusesToReplaceAFileWithoutForce) {
    const std::string path = File("kept.Vyr");
    std::ofstream(path, std::ios::binary) << "precious\n";
    Result run = Vyrctl("file defaults " + path);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "vyrctl: " + path + " already exists; use --force to replace it\n");
    EXPECT_EQ(Slurp(path), "precious\n");

    run = Vyrctl("file defaults " + path + " --force");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(path), Slurp(std::string(VYR_FIXTURES) + "/defaults.Vyr"));
    std::ofstream(path, std::ios::binary) << "precious\n";
    EXPECT_EQ(Vyrctl("file defaults --force " + path).status, 0);
    EXPECT_EQ(Slurp(path), Slurp(std::string(VYR_FIXTURES) + "/defaults.Vyr"));
}

TEST_F(VyrctlFile, FailuresNameTheFileAndTheSystemsReason) {
    Result run = Vyrctl("file check " + File("absent.Vyr"));
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err,
              "vyrctl: cannot open " + File("absent.Vyr") + ": No such file or directory\n");
    run = Vyrctl("file dump " + dir.string());
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "vyrctl: cannot open " + dir.string() + ": Is a directory\n");
    run = Vyrctl("file defaults " + File("no/folder/x.Vyr"));
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err,
              "vyrctl: cannot write " + File("no/folder/x.Vyr") + ": No such file or directory\n");
}

TEST_F(VyrctlFile, UsageErrorsNameWhatIsWrong) {
    const std::string hint = "run 'vyrctl --help' for the usage\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", "vyrctl: no command given\n"},
        {"fiel check x.Vyr", "vyrctl: unknown command 'fiel'\n"},
        {"ports extra", "vyrctl: ports takes no arguments; unexpected 'extra'\n"},
        {"file", "vyrctl: file needs a command: check, dump, diff or defaults\n"},
        {"file diff a.Vyr", "vyrctl: file diff needs FILE1 and FILE2\n"},
        {"file diff a.Vyr b.Vyr x.Vyr", "vyrctl: file diff takes two FILEs; unexpected 'x.Vyr'\n"},
        {"file chek x.Vyr", "vyrctl: unknown file command 'chek'\n"},
        {"file check", "vyrctl: file check needs a FILE\n"},
        {"file dump a.Vyr b.Vyr", "vyrctl: file dump takes one FILE; unexpected 'b.Vyr'\n"},
        {"file check --force a.Vyr", "vyrctl: unknown option '--force' for file check\n"},
        {"file defaults --forse a.Vyr", "vyrctl: unknown option '--forse' for file defaults\n"},
        // An option's value never starts with "--".
        {"device --port --password-file pw info", "vyrctl: --port needs a value\n"},
        {"device --port COM5 --user --verbose info", "vyrctl: --user needs a value\n"},
        {"device --port", "vyrctl: --port needs a value\n"},
    };
    for (const auto& [args, message] : cases) {
        const Result run = Vyrctl(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_EQ(run.err, message + hint) << args;
    }
    EXPECT_FALSE(std::filesystem::exists(File("x.Vyr")));

    for (const std::string args : {"--help", "-h", "file --help"}) {
        const Result run = Vyrctl(args);
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_EQ(run.err, "") << args;
        EXPECT_NE(run.out.find("vyrctl file dump FILE"), std::string::npos) << args;
        EXPECT_NE(run.out.find("exit status:"), std::string::npos) << args;
    }
}

TEST_F(VyrctlFile, FailuresHaveTheirExitStatus) {
    const std::string path = File("damaged.Vyr");
    ASSERT_EQ(Vyrctl("file defaults " + path).status, 0);
    std::string content = Slurp(path);
    content.replace(content.find("=25\n"), 4, "=26\n");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;

    Result run = Vyrctl("file check " + path);
    EXPECT_EQ(run.status, 6);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("The settings file has been corrupted and cannot be read."),
              std::string::npos);

    std::ofstream(File("format.Vyr")) << "0:mic_label=x\n";
    run = Vyrctl("file dump " + File("format.Vyr"));
    EXPECT_EQ(run.status, 5);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("invalid format"), std::string::npos);
}

}  // namespace
}  // namespace vyr::test
