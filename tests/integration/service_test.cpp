// Microphone calibration, serial number, service notes and test results against the
// simulator: the exact frames, partial reads and writes, refusals and byte limits.
#include "device/microphone.h"
#include "device/service_records.h"
#include "sim_fixture.h"

namespace vyr::test {
namespace {

class Service : public SimLink {
  protected:
    static constexpr int kTypeC = 2;

    std::vector<std::string> Requests() const { return Frames("in "); }
};

TEST_F(Service, MicrophoneReadAndWriteFrames) {
    sim.WriteFile("/chroma/mics/c/mic_filter1_gain", "-3.5  \n");
    const MicReadResult read = ReadMicCalibration(device, kTypeC);
    ASSERT_TRUE(read.Complete());
    EXPECT_EQ(read.texts[0], "-42\n");
    EXPECT_EQ(read.texts[4], "-3.5  \n");
    const auto in = Requests();
    ASSERT_EQ(in.size(), kMicValueCount);
    EXPECT_EQ(in[0], "in  1 /chroma/mics/c/mic_sensitivity text \"\"");
    EXPECT_EQ(in[12], "in  1 /chroma/mics/c/mic_filter3_enable text \"\"");
    EXPECT_EQ(Frames("out")[1], "out 2 /chroma/mics/c/mic_filter1_freq text \"80\\n\"");

    MicValueTexts texts;
    for (std::size_t i = 0; i < kMicValueCount; ++i)
        texts[i] = CheckMicEntry(kMicValues[i].kind, *InterpretMicValue(kMicValues[i].kind,
                                                                          read.texts[i]))
                       .deviceText;
    texts[1] = CheckMicEntry(MicValueKind::Frequency, "250").deviceText;
    texts[7] = CheckMicEntry(MicValueKind::Q, "1,5").deviceText;
    texts[0] = CheckMicEntry(MicValueKind::Sensitivity, "-12").deviceText;
    sim.ClearLog();
    EXPECT_TRUE(WriteMicCalibration(device, kTypeC, texts).Complete());
    const auto writes = Requests();
    ASSERT_EQ(writes.size(), kMicValueCount);
    EXPECT_EQ(writes[0], "in  0 /chroma/mics/c/mic_sensitivity text \"-12\\n\"");
    EXPECT_EQ(writes[1], "in  0 /chroma/mics/c/mic_filter1_freq text \"250\\n\"");
    EXPECT_EQ(writes[4], "in  0 /chroma/mics/c/mic_filter1_gain text \"-3.5\\n\"");
    EXPECT_EQ(writes[7], "in  0 /chroma/mics/c/mic_filter1_q text \"1.5\\n\"");
    EXPECT_EQ(writes[10], "in  0 /chroma/mics/c/mic_filter1_enable text \"1\\n\"");
    EXPECT_EQ(writes[11], "in  0 /chroma/mics/c/mic_filter2_enable text \"0\\n\"");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/c/mic_filter1_q"), "1.5\n");
}

TEST_F(Service, MicrophoneReadStopsAtTheFirstFailureAndIsIncomplete) {
    sim.RemoveFile("/chroma/mics/m/mic_filter2_gain");  // index 5
    sim.WriteFile("/chroma/mics/m/mic_sensitivity", std::string(150, '7'));
    const MicReadResult read = ReadMicCalibration(device, 12);
    EXPECT_FALSE(read.Complete());
    EXPECT_EQ(read.read, 5u);
    EXPECT_EQ(read.texts[0], std::string(kMicValueTextSize, '7'));  // cut to its field
    EXPECT_EQ(Requests().size(), 6u);  // nothing asked after the failing value
}

TEST_F(Service, MicrophoneWriteReportsHowManyValuesWereStored) {
    MicValueTexts texts;
    texts.fill("0\n");
    SetFaults({.dropEvery = 4});
    const MicWriteResult written = WriteMicCalibration(device, kTypeC, texts);
    EXPECT_FALSE(written.Complete());
    EXPECT_EQ(written.written, 3u);
    SetFaults({.refuseWrites = true});
    EXPECT_EQ(WriteMicCalibration(device, kTypeC, texts).written, 0u);
}

TEST_F(Service, SerialNumberWriteNeedsTheDevicesAnswer) {
    RecordWrite written = WriteSerialNumber(device, "SN-7 \t\n");
    EXPECT_EQ(written.status, RecordStatus::Done);
    EXPECT_EQ(written.text, "SN-7");
    EXPECT_EQ(Requests().back(), "in  0 /chroma/serialnumber text \"SN-7\\n\"");
    EXPECT_EQ(ReadSerialNumber(device), "SN-7");

    SetFaults({.refuseWrites = true});
    written = WriteSerialNumber(device, "SN-8");
    EXPECT_EQ(written.status, RecordStatus::NotAnswered);
    EXPECT_EQ(written.text, "SN-8");  // the caller keeps the text
    EXPECT_EQ(sim.ReadFile("/chroma/serialnumber"), "SN-7\n");
    SetFaults({.silent = true});
    EXPECT_EQ(WriteSerialNumber(device, "SN-9").status, RecordStatus::NotAnswered);
    EXPECT_FALSE(ReadSerialNumber(device));
}

TEST_F(Service, SerialNumberLimitsAreCheckedBeforeSending) {
    const int before = sim.RequestsReceived();
    EXPECT_EQ(WriteSerialNumber(device, "").status, RecordStatus::Empty);
    EXPECT_EQ(WriteSerialNumber(device, "  \n").status, RecordStatus::Empty);
    EXPECT_EQ(WriteSerialNumber(device, "A\nB").status, RecordStatus::LineBreak);
    std::string umlauts;
    for (int i = 0; i < 90; ++i)
        umlauts += "\xC3\xA4";  // 90 characters, 180 bytes
    EXPECT_EQ(WriteSerialNumber(device, umlauts).status, RecordStatus::TooLong);
    EXPECT_EQ(sim.RequestsReceived(), before);
    umlauts.resize(kMaxSerialNumberBytes);
    EXPECT_EQ(WriteSerialNumber(device, umlauts).status, RecordStatus::Done);
    EXPECT_EQ(ReadSerialNumber(device), umlauts);
}

TEST_F(Service, NoteIsAppendedDatedAndNeedsTheDevicesAnswer) {
    const DateTime when{2024, 3, 5, 9, 7, 59};
    RecordWrite added = AppendServiceNote(device, "capsule replaced", when);
    EXPECT_EQ(added.status, RecordStatus::Done);
    EXPECT_EQ(added.text, "2024/03/05-09:07| capsule replaced\n");
    EXPECT_EQ(Requests().back(),
              "in  20 /chroma/service_notes text \"2024/03/05-09:07| capsule replaced\\n\"");
    RecordLines notes = ReadServiceNotes(device);
    EXPECT_TRUE(notes.complete);
    ASSERT_EQ(notes.lines.size(), 4u);
    EXPECT_EQ(notes.lines.back(), "2024/03/05-09:07| capsule replaced\n");

    SetFaults({.refuseWrites = true});
    added = AppendServiceNote(device, "second", when);
    EXPECT_EQ(added.status, RecordStatus::NotAnswered);
    EXPECT_EQ(added.text, "2024/03/05-09:07| second\n");
    SetFaults({});
    EXPECT_EQ(ReadServiceNotes(device).lines.size(), 4u);

    const int before = sim.RequestsReceived();
    EXPECT_EQ(AppendServiceNote(device, "", when).status, RecordStatus::Empty);
    EXPECT_EQ(AppendServiceNote(device, "one\ntwo", when).status, RecordStatus::LineBreak);
    std::string note;
    for (int i = 0; i < 81; ++i)
        note += "\xC3\xB6";  // 81 characters, 162 bytes
    EXPECT_EQ(AppendServiceNote(device, note, when).status, RecordStatus::TooLong);
    EXPECT_EQ(AppendServiceNote(device, "x", {12024, 1, 1, 0, 0, 0}).status,
              RecordStatus::Done);  // a five-digit year still fits with a short note
    EXPECT_EQ(AppendServiceNote(device, std::string(kMaxNoteBytes, 'x'), {12024, 1, 1, 0, 0, 0})
                  .status,
              RecordStatus::TooLong);
    EXPECT_EQ(sim.RequestsReceived(), before + 1);
    note.resize(kMaxNoteBytes);
    EXPECT_EQ(AppendServiceNote(device, note, when).status, RecordStatus::Done);
}

// Each line as the device sent it, with its line feed; the last one without stays without.
TEST_F(Service, TestResultsAreReadLineByLineAsReceived) {
    sim.WriteFile("/chroma/test_results", "first\n\nthird");
    RecordLines results = ReadTestResults(device);
    EXPECT_TRUE(results.complete);
    EXPECT_EQ(results.lines, (std::vector<std::string>{"first\n", "\n", "third"}));
    EXPECT_EQ(Requests(), (std::vector<std::string>{"in  19 /chroma/test_results text \"\""}));

    SetFaults({.silent = true});
    results = ReadTestResults(device);
    EXPECT_FALSE(results.complete);
    EXPECT_TRUE(results.lines.empty());
}

}  // namespace
}  // namespace vyr::test
