// The broadcast-wave metadata record between the store and the dialog: what is read, how the
// description is cut into its five pieces, and that a save and load of the settings gives the
// same record back.
#include <gtest/gtest.h>

#include <string>

#include "settings/bwf_metadata.h"
#include "settings/settings_file.h"
#include "test_support.h"

namespace vyr {
namespace {

constexpr int kPreset = 3;

// The record as the next load of a settings file gives it back.
BwfMetadata AfterSaveAndLoad(const SettingStore& store) {
    SettingsModel loaded;
    EXPECT_EQ(LoadSettingsContent(loaded.store, FormatSettingsFile(store)), SettingsFileStatus::Ok);
    return ReadBwfMetadata(loaded.store, kPreset);
}

std::string Piece(const test::Model& model, int piece) {
    return std::string(model.store.Text(param::rec_meta_description0 + piece, kPreset));
}

TEST(BwfMetadata, IsReadFromTheEditedPresetCutToTheRecordsWidths) {
    test::Model model;
    EXPECT_EQ(model.catalogue[param::rec_meta_description0].key, "rec_meta_description0");
    EXPECT_EQ(model.catalogue[param::rec_meta_description0 + 4].key, "rec_meta_description4");
    EXPECT_EQ(model.catalogue[param::rec_meta_originator].key, "rec_meta_originator");
    EXPECT_EQ(model.catalogue[param::rec_meta_cc].key, "rec_meta_cc");
    EXPECT_EQ(model.catalogue[param::rec_meta_ooo].key, "rec_meta_ooo");

    BwfMetadata record = ReadBwfMetadata(model.store, kPreset);
    EXPECT_EQ(record.description, "Vyr default recording description");
    EXPECT_EQ(record.originator, "Vyr default originator");
    EXPECT_EQ(record.countryCode, "CC");
    EXPECT_EQ(record.organisationCode, "OOO");
    EXPECT_EQ(record.serialNumber, "");

    // Full slots everywhere: five pieces of 59 hold more than the 256 bytes of the record.
    const std::string full(59, 'x');
    for (int piece = 0; piece < kDescriptionPieces; ++piece)
        model.store.StoreSetting(param::rec_meta_description0 + piece, kPreset, full);
    model.store.StoreSetting(param::rec_meta_originator, kPreset, full);
    model.store.StoreSetting(param::rec_meta_cc, kPreset, "DEU");
    model.store.StoreSetting(param::rec_meta_ooo, kPreset, "ABCD");
    record = ReadBwfMetadata(model.store, kPreset);
    EXPECT_EQ(record.description, std::string(256, 'x'));
    EXPECT_EQ(record.originator, std::string(32, 'x'));
    EXPECT_EQ(record.countryCode, "DE");
    EXPECT_EQ(record.organisationCode, "ABC");
    // Another preset is not touched.
    EXPECT_EQ(ReadBwfMetadata(model.store, 2).countryCode, "CC");
}

TEST(BwfMetadata, SerialNumberPartIsTheTrimmedAnswerCutToEightBytes) {
    EXPECT_EQ(SerialNumberPart(std::string("VYR-2417-0093\n")), "VYR-2417");
    EXPECT_EQ(SerialNumberPart(std::string("1234 \n")), "1234");
    EXPECT_EQ(SerialNumberPart(std::string("12\0"
                                           "34567890",
                                           10)),
              "12");
    EXPECT_EQ(SerialNumberPart(std::nullopt), "noserial");
}

TEST(BwfMetadata, DescriptionIsCutBetweenTwoCharactersThatAreNotWhiteSpace) {
    // 100 letters: 59 and 41, the other pieces empty.
    std::string letters;
    for (int i = 0; i < 100; ++i)
        letters += static_cast<char>('a' + i % 26);
    auto pieces = SplitDescription(letters);
    ASSERT_TRUE(pieces);
    EXPECT_EQ((*pieces)[0], letters.substr(0, 59));
    EXPECT_EQ((*pieces)[1], letters.substr(59));
    EXPECT_EQ((*pieces)[2], "");
    EXPECT_EQ((*pieces)[4], "");

    // A space (or line feed) at the 59th or 60th place moves the cut back into the word.
    for (const char blank : {' ', '\n'}) {
        for (const std::size_t at : {std::size_t{58}, std::size_t{59}}) {
            std::string text(100, 'w');
            text[at] = blank;
            pieces = SplitDescription(text);
            ASSERT_TRUE(pieces) << at;
            EXPECT_EQ((*pieces)[0].size(), at - 1) << at;
            EXPECT_EQ((*pieces)[0] + (*pieces)[1], text);
            for (const std::string& piece : *pieces) {
                if (piece.empty())
                    continue;
                EXPECT_NE(piece.front(), blank) << at;
                EXPECT_NE(piece.back(), blank) << at;
            }
        }
    }

    // Empty, and only white space: five empty pieces.
    for (const char* text : {"", "   \n "}) {
        pieces = SplitDescription(text);
        ASSERT_TRUE(pieces);
        for (const std::string& piece : *pieces)
            EXPECT_EQ(piece, "");
    }
}

TEST(BwfMetadata, DescriptionWithoutCutsIsRefusedAndNothingIsStored) {
    test::Model model;
    BwfMetadata record = ReadBwfMetadata(model.store, kPreset);
    // One-letter words never have two letters side by side; 59 bytes fit one piece.
    std::string words;
    while (words.size() < 61)
        words += "a ";
    EXPECT_TRUE(SplitDescription(words.substr(0, 59)));
    EXPECT_FALSE(SplitDescription(words));
    // A run of 60 spaces inside leaves no cut in the first 60 bytes.
    EXPECT_FALSE(SplitDescription("x" + std::string(60, ' ') + "y"));
    EXPECT_TRUE(SplitDescription("xx" + std::string(57, ' ') + "yy"));

    record.description = words;
    record.originator = "changed";
    EXPECT_FALSE(StoreBwfMetadata(model.store, kPreset, record));
    EXPECT_EQ(Piece(model, 0), "Vyr default recording description");
    EXPECT_EQ(model.store.Text(param::rec_meta_originator, kPreset), "Vyr default originator");
}

TEST(BwfMetadata, RecordComesBackFromASavedAndLoadedSettingsFile) {
    const std::string words =
        "hello world, a recording of the evening concert in the great hall with the choir "
        "and orchestra\nconducted by someone, second take; microphones ORTF pair plus spot "
        "mics on the soloists. Editing notes follow later: see the log book. \xE4\xF6\xFC "
        "\xDF\xA7\xB0 a b c d e f";
    ASSERT_LE(words.size(), kDescriptionWidth);
    const std::string maximal(256, 'm');
    std::string spacedAtCuts;  // a blank at each place a plain cut by 59 would take (236 bytes)
    while (spacedAtCuts.size() < 200)
        spacedAtCuts += std::string(58, 'q') + " ";
    for (const std::string& description :
         {words, maximal, spacedAtCuts, std::string("hello world")}) {
        test::Model model;
        BwfMetadata record;
        record.description = description;
        record.originator = std::string(32, 'O');
        record.countryCode = "AT";
        record.organisationCode = "\xC4\xD6\xDC";
        ASSERT_TRUE(StoreBwfMetadata(model.store, kPreset, record)) << description;
        for (int piece = 0; piece < kDescriptionPieces; ++piece)
            EXPECT_LE(Piece(model, piece).size(), kMaxValueLength);
        const BwfMetadata back = AfterSaveAndLoad(model.store);
        EXPECT_EQ(back.description, TrimTrailingBlanks(description));
        EXPECT_EQ(back.originator, record.originator);
        EXPECT_EQ(back.countryCode, "AT");
        EXPECT_EQ(back.organisationCode, "\xC4\xD6\xDC");
    }
    // The maximal description fills four pieces of 59 and 20 bytes in the fifth.
    test::Model model;
    BwfMetadata record = ReadBwfMetadata(model.store, kPreset);
    record.description = maximal;
    ASSERT_TRUE(StoreBwfMetadata(model.store, kPreset, record));
    EXPECT_EQ(Piece(model, 3).size(), 59u);
    EXPECT_EQ(Piece(model, 4).size(), 20u);
}

TEST(BwfMetadata, OverlongTextsAreCutToTheRecordsWidthsWhenStored) {
    test::Model model;
    BwfMetadata record;
    record.description = std::string(300, 'd');
    record.originator = std::string(80, 'o');
    record.countryCode = "ABCDEF";
    record.organisationCode = std::string("OO\0X", 4);
    ASSERT_TRUE(StoreBwfMetadata(model.store, kPreset, record));
    EXPECT_EQ(model.store.Text(param::rec_meta_originator, kPreset), std::string(32, 'o'));
    EXPECT_EQ(model.store.Text(param::rec_meta_cc, kPreset), "AB");
    const BwfMetadata back = ReadBwfMetadata(model.store, kPreset);
    EXPECT_EQ(back.description, std::string(256, 'd'));
    EXPECT_EQ(back.originator, std::string(32, 'o'));
    EXPECT_EQ(back.countryCode, "AB");
    EXPECT_EQ(back.organisationCode, "OO");
    // A preset outside 0..9 stores nothing.
    EXPECT_FALSE(StoreBwfMetadata(model.store, 10, record));
}

}  // namespace
}  // namespace vyr
