// vyrctl file check | dump | defaults, run as a script would run them.
#include <fstream>

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

    EXPECT_EQ(Vyrctl("file check " + File("absent.Vyr")).status, 4);
    EXPECT_EQ(Vyrctl("file defaults " + File("no/folder/x.Vyr")).status, 4);
    EXPECT_EQ(Vyrctl("file").status, 1);
    EXPECT_EQ(Vyrctl("file check").status, 1);
    EXPECT_EQ(Vyrctl("file verify " + path).status, 1);
    EXPECT_EQ(Vyrctl("").status, 1);
    run = Vyrctl("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("vyrctl file dump FILE"), std::string::npos);
}

}  // namespace
}  // namespace vyr::test
