// The main window's behaviour without a device: start state, offline mode, presets, the
// enabling by user level, the format and slider rules, and the value texts.
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <wx/image.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <fstream>

#include "app/help.h"
#include "app/menus.h"
#include "app/value_display.h"
#include "app/preset_bar.h"
#include "app/value_fields.h"
#include "frame_fixture.h"
#include "gui_events.h"
#include "modal_hook.h"

namespace vyr::test {
namespace {

// A fresh window for every test: each one changes the window's state.
class WindowTest : public testing::Test {
  protected:
    void SetUp() override { world_ = std::make_unique<FrameWorld>(); }
    void TearDown() override { world_.reset(); }

    AdminSWFrm& Frame() { return *world_->frame; }
    SettingStore& Store() { return world_->services.store; }
    wxMenuBar* Bar() { return Frame().GetMenuBar(); }

    template <typename T>
    T* Get(std::string_view key) {
        T* control = Frame().ControlAs<T>(key);
        EXPECT_NE(control, nullptr) << key;
        return control;
    }
    wxToggleButton* PresetButton(int preset) { return Frame().Presets().Button(preset); }
    std::string Stored(std::string_view key, int preset) {
        return std::string(Store().Text(Store().Catalogue().Find(key), preset));
    }
    wxString Field(std::string_view key) { return Get<wxTextCtrl>(key)->GetValue(); }

    // An account level 0..4, or 6 for nobody.
    void SetLevel(int level) {
        Frame().ApplySession(Frame().Connected(),
                             UserLevel::FromAccount(level).value_or(UserLevel::Nobody()),
                             Frame().Hardware());
    }
    void GoOffline() { Command(&Frame(), menu::kOfflineMode); }

    bool MenuEnabled(std::string_view title) {
        return Bar()->IsEnabledTop(Bar()->FindMenu(wxString::FromUTF8(title.data(), title.size())));
    }
    bool ItemEnabled(std::string_view menuTitle, std::string_view item) {
        const int id = Frame().MenuItemId(menuTitle, item);
        EXPECT_NE(id, wxNOT_FOUND) << item;
        return Bar()->IsEnabled(id);
    }
    std::set<std::string> EnabledParameters() {
        std::set<std::string> keys;
        for (int p = 0; p < kParameterCount; ++p) {
            if (wxWindow* c = Frame().BoundControl(p); c && c->IsThisEnabled())
                keys.emplace(Store().Catalogue()[p].key);
        }
        return keys;
    }
    std::vector<wxString> Entries(std::string_view key) {
        std::vector<wxString> entries;
        auto* choice = Get<wxChoice>(key);
        for (unsigned i = 0; i < choice->GetCount(); ++i)
            entries.push_back(choice->GetString(i));
        return entries;
    }

  private:
    std::unique_ptr<FrameWorld> world_;
};

using Strings = std::vector<wxString>;

TEST_F(WindowTest, StartsOfflineOnPresetOneWithNobodyLoggedIn) {
    EXPECT_EQ(Frame().CurrentUserLevel(), UserLevel::Nobody());
    EXPECT_EQ(Frame().GetTitle(), "Vyr Administration Software v2.2.6");
    EXPECT_FALSE(Frame().Connected());
    EXPECT_EQ(Frame().Hardware(), HardwareClass::NotConnected);
    EXPECT_TRUE(Frame().GetIcon().IsOk());

    EXPECT_EQ(Frame().EditedPreset(), 1);
    EXPECT_TRUE(PresetButton(1)->GetValue());
    for (int preset = 0; preset < kPresetCount; ++preset) {
        SCOPED_TRACE(preset);
        if (preset != 1) {
            EXPECT_FALSE(PresetButton(preset)->GetValue());
        }
        // Presets start disabled: only DEFAULT and preset 1 can be chosen.
        EXPECT_EQ(PresetButton(preset)->IsThisEnabled(), preset <= 1);
    }
    EXPECT_EQ(Entries("ActivePresetChooser"), (Strings{"DEFAULT", "PRESET 1"}));
    EXPECT_EQ(Get<wxChoice>("ActivePresetChooser")->GetSelection(), 1);
    EXPECT_FALSE(Get<wxChoice>("ActivePresetChooser")->IsThisEnabled());

    EXPECT_FALSE(Get<wxNotebook>("notebook")->IsThisEnabled());
    EXPECT_TRUE(EnabledParameters().empty());
    EXPECT_TRUE(ItemEnabled("File", "Offline mode"));
    EXPECT_FALSE(ItemEnabled("File", "Load settings from computer"));
    EXPECT_FALSE(ItemEnabled("File", "Load settings from device"));
    for (std::string_view title : {"Preset", "Device", "Administration", "Service"})
        EXPECT_FALSE(MenuEnabled(title)) << title;
    EXPECT_TRUE(MenuEnabled("Help"));
    EXPECT_EQ(Get<wxToggleButton>("ConnectButton")->GetLabel(), "Connect");
    EXPECT_TRUE(Get<wxToggleButton>("ConnectButton")->IsThisEnabled());

    // The values of preset 1 are on the pages.
    EXPECT_EQ(Field("mic_label"), "Station_ID");
    EXPECT_EQ(Get<wxChoice>("rec_format")->GetStringSelection(), "WAV");
    EXPECT_EQ(Entries("rec_compr_rate"), (Strings{"---"}));
    EXPECT_EQ(Get<wxChoice>("rec_sample_rate")->GetStringSelection(), "48000");
    EXPECT_EQ(Frame().Fields().WorkingSampleRate(), 48000u);
    EXPECT_EQ(Get<wxSpinButton>("li_adv_spinbutton")->GetMax(), 480);
    EXPECT_EQ(Field("he_th_label"), "22.0 dB");
    EXPECT_EQ(Field("roi_up_th_label"), "-9.0 dB");
    EXPECT_EQ(Field("roi_low_th_label"), "-18.0 dB");
    EXPECT_EQ(Field("roi_no_th_label"), "-24.0 dB");
    EXPECT_EQ(Field("pm_shutdown_time_edit"), "01:00");
    // Hard-end rows are for service staff only.
    EXPECT_FALSE(Get<wxWindow>("he_th_slider")->IsShown());
}

TEST_F(WindowTest, OfflineModeOpensThePagesAndFilesButNotTheValues) {
    GoOffline();
    EXPECT_TRUE(Frame().Offline());
    EXPECT_TRUE(Get<wxNotebook>("notebook")->IsThisEnabled());
    EXPECT_TRUE(Get<wxChoice>("ActivePresetChooser")->IsThisEnabled());
    EXPECT_TRUE(MenuEnabled("Preset"));
    EXPECT_TRUE(ItemEnabled("Preset", "Enable/disable presets"));
    EXPECT_FALSE(ItemEnabled("Preset", "Send single preset to device"));
    EXPECT_TRUE(ItemEnabled("File", "Load settings from computer"));
    EXPECT_TRUE(ItemEnabled("File", "Save settings to computer"));
    EXPECT_FALSE(MenuEnabled("Device"));
    auto* connect = Get<wxToggleButton>("ConnectButton");
    EXPECT_FALSE(connect->IsThisEnabled());
    EXPECT_EQ(connect->GetLabel(), "Offline mode");
    // Nobody is logged in: values can be viewed, not edited.
    EXPECT_TRUE(EnabledParameters().empty());

    GoOffline();  // unticks the item again
    EXPECT_FALSE(Get<wxNotebook>("notebook")->IsThisEnabled());
    EXPECT_TRUE(connect->IsThisEnabled());
    EXPECT_EQ(connect->GetLabel(), "Connect");
}

TEST_F(WindowTest, PresetButtonsShowTheirPresetAndDisabledPresetsFallBackToPresetOne) {
    GoOffline();
    Store().StoreSetting(Store().Catalogue().Find("preset_name"), 0, "factory");
    Store().StoreSetting(Store().Catalogue().Find("preset_name"), 5, "five");
    Click(PresetButton(0));
    EXPECT_EQ(Frame().EditedPreset(), 0);
    EXPECT_EQ(Field("preset_name"), "factory");
    EXPECT_TRUE(PresetButton(0)->GetValue());
    EXPECT_FALSE(PresetButton(1)->GetValue());

    // Choosing a preset that is not enabled (as a device load reporting it would) shows
    // preset 1 instead.
    Frame().EditPreset(5);
    EXPECT_EQ(Frame().EditedPreset(), 1);
    EXPECT_TRUE(PresetButton(1)->GetValue());
    EXPECT_FALSE(PresetButton(5)->GetValue());
    EXPECT_EQ(Field("preset_name"), "Factory_settings");
}

TEST_F(WindowTest, EnablingPresetsRebuildsTheActivePresetList) {
    GoOffline();
    Command(&Frame(), menu::kPresetsSwitch);
    EXPECT_TRUE(Frame().Presets().PresetsEnabled());
    EXPECT_TRUE(Get<wxCheckBox>("presets_enabled")->GetValue());
    for (int preset = 0; preset < kPresetCount; ++preset)
        EXPECT_EQ(Stored("presets_enabled", preset), "1");  // a global value
    EXPECT_EQ(Get<wxChoice>("ActivePresetChooser")->GetCount(), 10u);
    EXPECT_EQ(Get<wxChoice>("ActivePresetChooser")->GetString(9), "PRESET 9");
    EXPECT_EQ(Get<wxChoice>("ActivePresetChooser")->GetSelection(), 1);
    EXPECT_TRUE(PresetButton(9)->IsThisEnabled());

    // Edit preset 5 with "PRESET 7" active, then disable presets again.
    Click(PresetButton(5));
    ASSERT_EQ(Frame().EditedPreset(), 5);
    Get<wxChoice>("ActivePresetChooser")->SetSelection(7);
    Command(&Frame(), menu::kPresetsSwitch);
    EXPECT_FALSE(Bar()->IsChecked(menu::kPresetsSwitch));
    EXPECT_EQ(Stored("presets_enabled", 3), "0");
    EXPECT_EQ(Entries("ActivePresetChooser"), (Strings{"DEFAULT", "PRESET 1"}));
    EXPECT_EQ(Get<wxChoice>("ActivePresetChooser")->GetSelection(), 1);
    EXPECT_EQ(Frame().EditedPreset(), 1);
    EXPECT_TRUE(PresetButton(1)->GetValue());
    EXPECT_FALSE(PresetButton(5)->GetValue());
    EXPECT_FALSE(PresetButton(5)->IsThisEnabled());

    // DEFAULT stays selected through another switch both ways.
    Get<wxChoice>("ActivePresetChooser")->SetSelection(0);
    Command(&Frame(), menu::kPresetsSwitch);
    Command(&Frame(), menu::kPresetsSwitch);
    EXPECT_EQ(Get<wxChoice>("ActivePresetChooser")->GetSelection(), 0);
}

// A store loaded from a file or the device may have presets off while a higher preset is
// edited: preset 1 is shown, once, and the preset bar follows.
TEST_F(WindowTest, AStoreWithPresetsOffShowsPresetOneInsteadOfTheHigherPreset) {
    GoOffline();
    Command(&Frame(), menu::kPresetsSwitch);
    Click(PresetButton(5));
    ASSERT_EQ(Frame().EditedPreset(), 5);
    const int name = Store().Catalogue().Find("preset_name");
    for (int preset = 0; preset < kPresetCount; ++preset) {
        Store().StoreSetting(param::presets_enabled, preset, "0");
        Store().StoreSetting(name, preset, "Name" + std::to_string(preset));
    }
    Frame().ShowEditedPreset();
    EXPECT_EQ(Frame().EditedPreset(), 1);
    EXPECT_EQ(Field("preset_name"), "Name1");
    EXPECT_TRUE(PresetButton(1)->GetValue());
    EXPECT_FALSE(PresetButton(5)->GetValue());
    EXPECT_FALSE(PresetButton(5)->IsThisEnabled());
    EXPECT_FALSE(Bar()->IsChecked(menu::kPresetsSwitch));
    EXPECT_FALSE(Get<wxCheckBox>("presets_enabled")->GetValue());
    EXPECT_EQ(Entries("ActivePresetChooser"), (Strings{"DEFAULT", "PRESET 1"}));
}

TEST_F(WindowTest, EnablingFollowsTheUserLevel) {
    GoOffline();
    // Administrator on DEFAULT: only the global parameters of its level.
    SetLevel(4);
    Click(PresetButton(0));
    EXPECT_EQ(EnabledParameters(),
              (std::set<std::string>{"presets_enabled", "allow_set_preset", "rtc_autosync"}));
    EXPECT_TRUE(MenuEnabled("Device"));
    EXPECT_TRUE(ItemEnabled("File", "Load settings from device"));
    EXPECT_TRUE(ItemEnabled("Preset", "Send single preset to device"));
    EXPECT_FALSE(ItemEnabled("Device", "Update firmware"));
    EXPECT_FALSE(MenuEnabled("Administration"));
    EXPECT_FALSE(MenuEnabled("Service"));

    // Administrator on preset 1: everything of level 4 but the microphone label.
    Click(PresetButton(1));
    auto enabled = EnabledParameters();
    EXPECT_TRUE(enabled.count("preset_name"));
    EXPECT_TRUE(enabled.count("rec_mic_level"));
    EXPECT_FALSE(enabled.count("mic_label"));
    EXPECT_FALSE(enabled.count("combine_label_prefix"));
    EXPECT_FALSE(enabled.count("he_th"));
    EXPECT_FALSE(Get<wxWindow>("WxStaticText28")->IsShown());

    SetLevel(3);
    enabled = EnabledParameters();
    EXPECT_TRUE(enabled.count("mic_label"));
    EXPECT_TRUE(enabled.count("combine_label_prefix"));
    EXPECT_TRUE(MenuEnabled("Administration"));
    EXPECT_TRUE(ItemEnabled("Device", "Update firmware"));
    EXPECT_FALSE(MenuEnabled("Service"));
    for (std::string_view row :
         {"WxStaticText28", "he_th_slider", "he_th_label", "roi_rel_spinbutton", "WxStaticText63"})
        EXPECT_FALSE(Get<wxWindow>(row)->IsShown()) << row;

    // Service staff see the hard-end rows, enabled while autoleveling is on.
    SetLevel(2);
    for (std::string_view row : {"WxStaticText28", "he_th_slider", "he_th_label",
                                 "roi_rel_spinbutton", "roi_rel_label", "WxStaticText63"})
        EXPECT_TRUE(Get<wxWindow>(row)->IsShown()) << row;
    EXPECT_TRUE(Get<wxWindow>("he_th_slider")->IsThisEnabled());
    EXPECT_TRUE(MenuEnabled("Service"));
    EXPECT_TRUE(ItemEnabled("Service", "Microphone settings"));
    EXPECT_FALSE(ItemEnabled("Service", "Read and write serial number"));
    Tick(Get<wxCheckBox>("roi_enable_checkbox"), false);
    EXPECT_FALSE(Get<wxWindow>("he_th_slider")->IsThisEnabled());
    EXPECT_TRUE(Get<wxWindow>("he_th_slider")->IsShown());

    SetLevel(1);
    EXPECT_TRUE(ItemEnabled("Service", "Read and write serial number"));
    EXPECT_TRUE(ItemEnabled("Service", "Read production test results"));
    EXPECT_TRUE(ItemEnabled("Service", "Store and read service notes"));

    // A later login with fewer rights takes the service items away again.
    SetLevel(3);
    EXPECT_FALSE(ItemEnabled("Service", "Read and write serial number"));
    EXPECT_FALSE(MenuEnabled("Service"));

    SetLevel(6);
    EXPECT_TRUE(EnabledParameters().empty());
    EXPECT_FALSE(MenuEnabled("Device"));
}

TEST_F(WindowTest, PowerSourceChoiceOnlyOnHardwareThatHasOne) {
    const std::pair<HardwareClass, bool> cases[] = {{HardwareClass::Recorder, false},
                                                    {HardwareClass::Standard, true},
                                                    {HardwareClass::NotConnected, true}};
    for (const auto& [hardware, shown] : cases) {
        Frame().ApplySession(Frame().Connected(), Frame().CurrentUserLevel(), hardware);
        EXPECT_EQ(Get<wxWindow>("pm_prefered_power_source")->IsShown(), shown);
        EXPECT_EQ(Get<wxWindow>("WxStaticText5")->IsShown(), shown);
    }
}

TEST_F(WindowTest, SwitchGroupsAndDependentControlsFollowTheirCheckBoxes) {
    GoOffline();
    SetLevel(4);
    const std::vector<std::string_view> limiter = {"li_th_slider", "li_att_spinbutton",
                                                   "li_rel_spinbutton", "li_adv_spinbutton"};
    Tick(Get<wxCheckBox>("li_enable_checkbox"), false);
    EXPECT_EQ(Stored("li_enable", 1), "0");
    for (std::string_view key : limiter)
        EXPECT_FALSE(Get<wxWindow>(key)->IsThisEnabled()) << key;
    for (std::string_view key : {"li_th", "li_att", "li_rel", "li_adv"})
        EXPECT_FALSE(Store().Enabled(Store().Catalogue().Find(key), 1)) << key;
    // Preset 2 keeps its own switch.
    EXPECT_TRUE(Store().Enabled(Store().Catalogue().Find("li_th"), 2));
    Tick(Get<wxCheckBox>("li_enable_checkbox"), true);
    for (std::string_view key : limiter)
        EXPECT_TRUE(Get<wxWindow>(key)->IsThisEnabled()) << key;

    Tick(Get<wxCheckBox>("roi_enable_checkbox"), false);
    EXPECT_FALSE(Get<wxWindow>("roi_up_th_slider")->IsThisEnabled());
    EXPECT_FALSE(Get<wxWindow>("roi_no_th_slider")->IsThisEnabled());

    // Voice-activated recording off: its automatic stop is off and locked.
    Tick(Get<wxCheckBox>("var_on_after_boot"), true);
    Tick(Get<wxCheckBox>("var_auto_stop"), true);
    EXPECT_EQ(Stored("rec_var_autostop_enabled", 1), "1");
    Tick(Get<wxCheckBox>("var_on_after_boot"), false);
    EXPECT_EQ(Stored("rec_var_autostop_enabled", 1), "0");
    EXPECT_FALSE(Get<wxCheckBox>("var_auto_stop")->GetValue());
    EXPECT_FALSE(Get<wxWindow>("var_auto_stop")->IsThisEnabled());

    // Automatic clock synchronisation locks the manual clock setting.
    Tick(Get<wxCheckBox>("rtc_autosync_enable"), true);
    for (std::string_view key :
         {"DatePicker", "spin_rtc_hour", "spin_rtc_minute", "rtc_sync_now", "rtc_use_realtime"})
        EXPECT_FALSE(Get<wxWindow>(key)->IsThisEnabled()) << key;
    Tick(Get<wxCheckBox>("rtc_autosync_enable"), false);
    EXPECT_TRUE(Get<wxWindow>("rtc_sync_now")->IsThisEnabled());
    EXPECT_EQ(Stored("rtc_autosync", 7), "0");
}

TEST_F(WindowTest, FileFormatDecidesTheRatesOffered) {
    SetLevel(4);
    auto* format = Get<wxChoice>("rec_format");
    ASSERT_TRUE(Choose(format, "MP2"));
    EXPECT_EQ(Entries("rec_compr_rate"), (Strings{"128", "160", "192"}));
    EXPECT_EQ(Stored("rec_bitrate", 1), "128");
    EXPECT_EQ(Stored("rec_file_format", 1), "MP2");

    ASSERT_TRUE(Choose(format, "BWF"));
    EXPECT_EQ(Entries("rec_sample_rate"), (Strings{"44100", "48000"}));
    EXPECT_EQ(Stored("rec_sample_rate", 1), "44100");
    EXPECT_EQ(Stored("rec_bitrate", 1), "---");
    EXPECT_EQ(Frame().Fields().WorkingSampleRate(), 44100u);
    EXPECT_EQ(Get<wxSpinButton>("li_adv_spinbutton")->GetMax(), 441);
    // Metadata can be edited for BWF by an administrator who is not offline.
    EXPECT_TRUE(Get<wxWindow>("MetaDataBtn")->IsThisEnabled());

    ASSERT_TRUE(Choose(format, "WAV"));
    EXPECT_EQ(Entries("rec_sample_rate"), (Strings{"32000", "44100", "48000"}));
    EXPECT_EQ(Stored("rec_bitrate", 1), "---");
    EXPECT_EQ(Stored("rec_sample_rate", 1), "32000");
    EXPECT_EQ(Get<wxSpinButton>("li_adv_spinbutton")->GetMax(), 320);
    EXPECT_FALSE(Get<wxWindow>("MetaDataBtn")->IsThisEnabled());
    // Other presets keep their values.
    EXPECT_EQ(Stored("rec_file_format", 2), "WAV");
    EXPECT_EQ(Stored("rec_sample_rate", 2), "48000");

    // Nobody logged in (a loaded file showing BWF): no metadata editing.
    Store().StoreSetting(param::rec_file_format, 1, "BWF");
    SetLevel(6);
    Frame().ShowEditedPreset();
    EXPECT_FALSE(Get<wxWindow>("MetaDataBtn")->IsThisEnabled());
}

TEST_F(WindowTest, PermissionCouplingShowsThePartners) {
    SetLevel(4);
    Tick(Get<wxCheckBox>("allow_set_bitrate"), false);
    EXPECT_FALSE(Get<wxCheckBox>("allow_set_format")->GetValue());
    EXPECT_EQ(Stored("allow_set_format", 1), "0");
    Tick(Get<wxCheckBox>("allow_set_format"), true);
    EXPECT_TRUE(Get<wxCheckBox>("allow_set_bitrate")->GetValue());
    EXPECT_TRUE(Get<wxCheckBox>("allow_set_sample_rate")->GetValue());
    EXPECT_EQ(Stored("allow_set_bitrate", 1), "1");
}

TEST_F(WindowTest, SlidersKeepTheThresholdsInOrderAndStoreTheCorrectedPosition) {
    SetLevel(4);
    auto* upper = Get<wxSlider>("roi_up_th_slider");
    auto* lower = Get<wxSlider>("roi_low_th_slider");
    auto* noise = Get<wxSlider>("roi_no_th_slider");
    ASSERT_EQ(lower->GetValue(), 4148);
    ASSERT_EQ(noise->GetValue(), 2061);

    Slide(upper, 3000);  // below the lower target
    EXPECT_EQ(upper->GetValue(), 4148);
    EXPECT_EQ(Stored("roi_up_th", 1), "4148");

    Slide(lower, 1000);  // below the noise floor
    EXPECT_EQ(lower->GetValue(), 2061);
    EXPECT_EQ(Stored("roi_low_th", 1), "2061");

    Slide(lower, 3000);  // a valid move limits the noise floor to it
    EXPECT_EQ(Stored("roi_low_th", 1), "3000");
    EXPECT_EQ(noise->GetMax(), 3000);
    EXPECT_EQ(Field("roi_low_th_label"), "-20.8 dB");

    noise->SetRange(0, 32767);  // as if the range had not been narrowed
    Slide(noise, 5000);         // above the lower target
    EXPECT_EQ(noise->GetValue(), 3000);
    EXPECT_EQ(Stored("roi_no_th", 1), "3000");

    Slide(upper, 16384);
    EXPECT_EQ(Field("roi_up_th_label"), "-6.0 dB");
    Slide(Get<wxSlider>("li_th_slider"), 0);
    EXPECT_EQ(Field("li_th_label"), "-Inf dB");

    // Another preset's noise floor above this lower target is shown as it is.
    Store().StoreSetting(Store().Catalogue().Find("roi_no_th"), 0, "8000");
    Store().StoreSetting(Store().Catalogue().Find("roi_low_th"), 0, "9000");
    Click(PresetButton(0));
    EXPECT_EQ(noise->GetValue(), 8000);
    EXPECT_EQ(Field("roi_no_th_label"), "-12.2 dB");
}

TEST_F(WindowTest, ValueFieldsShowEngineeringUnits) {
    SetLevel(2);
    Spin(Get<wxSpinButton>("play_headset_level_spin"), -68);
    EXPECT_EQ(Field("play_headset_level_text"), "-Inf dB");
    EXPECT_EQ(Stored("play_headset_level", 1), "-68");
    Spin(Get<wxSpinButton>("play_headset_level_spin"), -10);
    EXPECT_EQ(Field("play_headset_level_text"), "-10dB");
    Spin(Get<wxSpinButton>("mess_level_group2_spin"), 0);
    EXPECT_EQ(Field("mess_level_group2_text"), "0dB");

    Spin(Get<wxSpinButton>("play_lineout_level_spin"), -10);
    EXPECT_EQ(Field("play_lineout_level_text"), "-10dBu");
    ASSERT_TRUE(Choose(Get<wxChoice>("play_output_selection"), "Lineout (balanced)"));
    EXPECT_EQ(Field("play_lineout_level_text"), "-4dBu");
    Spin(Get<wxSpinButton>("play_lineout_level_spin"), -68);
    EXPECT_EQ(Field("play_lineout_level_text"), "-Inf dBu");

    Spin(Get<wxSpinButton>("pm_shutdown_time_spin"), 179);
    EXPECT_EQ(Field("pm_shutdown_time_edit"), "02:59");
    EXPECT_EQ(Stored("pm_shutdown_time", 1), "179");

    Spin(Get<wxSpinButton>("roi_att_spinbutton"), 1);
    EXPECT_EQ(Field("roi_att_label"), "0.16 s");
    Spin(Get<wxSpinButton>("he_pga_down_spinbutton"), -5);
    EXPECT_EQ(Field("he_pga_down_label"), "-2.5 dB");
    Spin(Get<wxSpinButton>("he_step_timeout_spinbutton"), 3);
    EXPECT_EQ(Field("he_step_timeout_label"), "150 ms");

    ASSERT_EQ(Frame().Fields().WorkingSampleRate(), 48000u);
    Spin(Get<wxSpinButton>("li_rel_spinbutton"), 14);
    EXPECT_EQ(Field("li_rel_label"), "753.4 ms");
    Spin(Get<wxSpinButton>("li_adv_spinbutton"), 34);
    EXPECT_EQ(Field("li_adv_label"), "0.71 ms");
    Spin(Get<wxSpinButton>("li_att_spinbutton"), 4);
    EXPECT_EQ(Field("li_att_label"), "0.7 ms");
    ASSERT_TRUE(Choose(Get<wxChoice>("rec_sample_rate"), "44100"));
    EXPECT_EQ(Field("li_att_label"), "0.8 ms");
    EXPECT_EQ(Get<wxSpinButton>("li_adv_spinbutton")->GetMax(), 441);
}

TEST_F(WindowTest, TypedTextsAreStoredInTheDeviceRepertoire) {
    SetLevel(3);
    Type(Get<wxTextCtrl>("mic_label"), "A-B C");
    for (int preset = 0; preset < kPresetCount; ++preset)
        EXPECT_EQ(Stored("mic_label", preset), "A_B_C");
    Type(Get<wxTextCtrl>("preset_name"), wxString::FromUTF8("Büro-2 \xE2\x82\xAC"));
    EXPECT_EQ(Stored("preset_name", 1), "B\xFCro-2 _");
    EXPECT_EQ(Stored("preset_name", 2), "Factory_settings");
}

// Lets the toolkit deliver what a simulated key or click caused, until `done` holds or a
// generous time has passed (a loaded machine or a sanitizer build is slow).
template <typename Condition>
bool WaitUntil(Condition done, int milliseconds = 5000) {
    for (int i = 0; i < milliseconds / 20 && !done(); ++i) {
        wxYield();
        wxMilliSleep(20);
    }
    return done();
}

// Typing leaves the field alone while the edit goes on; once it ends, the field shows the
// text the device will get.
TEST_F(WindowTest, TextFieldsShowTheStoredTextOnceTheEditEnds) {
    SetLevel(3);
    auto* label = Get<wxTextCtrl>("mic_label");
    Type(label, "A-B C");
    EXPECT_EQ(label->GetValue(), "A-B C");
    EXPECT_EQ(Stored("mic_label", 1), "A_B_C");
    wxFocusEvent leave(wxEVT_KILL_FOCUS, label->GetId());
    Send(label, leave);
    EXPECT_EQ(label->GetValue(), "A_B_C");

    // Enter from the keyboard ends the edit too.
    GoOffline();
    auto* prefix = Get<wxTextCtrl>("rec_filename_prefix");
    Get<wxNotebook>("notebook")->SetSelection(2);
    Frame().Raise();
    Settle();
    prefix->SetFocus();
    prefix->ChangeValue("");
    Settle();
    ASSERT_EQ(wxWindow::FindFocus(), prefix) << "the window has no keyboard focus";
    wxUIActionSimulator person;
    person.Text("x/y z");
    EXPECT_TRUE(WaitUntil([&] { return prefix->GetValue() == "x/y z"; })) << prefix->GetValue();
    person.Char(WXK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return prefix->GetValue() == "x_y_z"; })) << prefix->GetValue();
    EXPECT_EQ(Stored("rec_filename_prefix", 1), "x_y_z");

    // Characters outside the device's repertoire become "_"; what it holds stays.
    auto* name = Get<wxTextCtrl>("preset_name");
    Type(name, wxString::FromUTF8("Büro \xE2\x82\xAC"));
    Send(name, leave);
    EXPECT_EQ(name->GetValue(), wxString::FromUTF8("Büro _"));
}

// The pixels the display server shows in `rect` (screen coordinates), read back with
// ImageMagick's import.
wxImage ScreenPixels(const wxRect& rect) {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("vyr-pixels-" + std::to_string(getpid()) + ".png"))
                                 .string();
    const std::string command = "import -window root -crop " + std::to_string(rect.width) + "x" +
                                std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
                                std::to_string(rect.y) + " +repage '" + file + "'";
    wxImage image;
    if (std::system(command.c_str()) == 0)
        image.LoadFile(file, wxBITMAP_TYPE_PNG);
    std::filesystem::remove(file);
    return image;
}

wxColour Pixel(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// The value fields beside the adjusters are texts to read, not fields to type into: they look
// like the panel they sit on, and neither Tab nor a click puts the keyboard focus there.
TEST_F(WindowTest, ValueFieldsTakeNoFocusAndStillShowTheirTexts) {
    GoOffline();
    SetLevel(0);  // service staff: every row shows, every adjuster can be used
    std::set<wxWindow*> fields;
    std::set<wxWindow*> adjusters;
    for (std::size_t i = 0; i < display::DisplayCount(); ++i) {
        fields.insert(Get<wxWindow>(display::DisplayAt(i).field));
        adjusters.insert(Get<wxWindow>(display::DisplayAt(i).adjuster));
    }
    auto* notebook = Get<wxNotebook>("notebook");
    Frame().Raise();
    wxUIActionSimulator person;
    person.MouseMove(Frame().GetScreenRect().GetPosition() + wxPoint(300, 300));
    Settle();

    std::set<wxWindow*> reached;
    for (std::string_view pageKey : {"page_playback", "page_messaging", "page_power", "page_alv"}) {
        SCOPED_TRACE(std::string(pageKey));
        wxWindow* page = Get<wxWindow>(pageKey);
        notebook->SetSelection(static_cast<size_t>(notebook->FindPage(page)));
        Settle();
        // Tab from the page's first control through all of them.
        std::vector<wxWindow*> controls;
        for (wxWindow* w : page->GetChildren()) {
            for (wxWindow* inner : w->GetChildren())
                controls.push_back(inner);
            controls.push_back(w);
        }
        wxWindow* first = nullptr;
        for (wxWindow* w : controls) {
            if (!first && w->CanAcceptFocusFromKeyboard() && !w->GetChildren().size())
                first = w;
        }
        ASSERT_NE(first, nullptr);
        first->SetFocus();
        Settle();
        ASSERT_EQ(wxWindow::FindFocus(), first) << "the window has no keyboard focus";
        const auto stops = std::count_if(controls.begin(), controls.end(), [](wxWindow* w) {
            return w->AcceptsFocus() && w->IsShown() && w->GetChildren().empty();
        });
        for (long step = 0; step < stops; ++step) {
            wxWindow* before = wxWindow::FindFocus();
            person.Char(WXK_TAB);
            // Between two windows the focus is briefly nowhere.
            WaitUntil(
                [before] {
                    wxWindow* now = wxWindow::FindFocus();
                    return now != before && now != nullptr;
                },
                1000);
            wxWindow* focus = wxWindow::FindFocus();
            EXPECT_EQ(fields.count(focus), 0u) << focus->GetName() << " took the focus";
            reached.insert(focus);
        }
    }
    for (wxWindow* adjuster : adjusters)
        EXPECT_EQ(reached.count(adjuster), 1u) << adjuster->GetName() << " never reached by Tab";

    // A click does not focus a field either.
    Spin(Get<wxSpinButton>("li_adv_spinbutton"), 480);
    auto* field = Get<wxTextCtrl>("li_adv_label");
    person.MouseMove(field->GetScreenRect().GetPosition() + wxPoint(10, 8));
    person.MouseClick();
    Settle();
    EXPECT_NE(wxWindow::FindFocus(), field);

    // The text shows on the panel's own background, with no box around it.
    EXPECT_EQ(field->GetValue(), "10.00 ms");
    const wxRect rect = field->GetScreenRect();
    const wxImage pixels = ScreenPixels(wxRect(rect.x, rect.y, rect.width, rect.height + 2));
    ASSERT_TRUE(pixels.IsOk());
    const wxColour panel = Pixel(pixels, rect.width / 2, rect.height + 1);  // just below
    int textPixels = 0;
    int panelPixels = 0;
    for (int y = 0; y < rect.height; ++y) {
        for (int x = 0; x < rect.width; ++x) {
            const wxColour c = Pixel(pixels, x, y);
            if (c == panel)
                ++panelPixels;
            else if (c.Red() + c.Green() + c.Blue() < 3 * 128)
                ++textPixels;
        }
    }
    EXPECT_GT(textPixels, 30);
    EXPECT_GT(panelPixels, rect.width * rect.height * 2 / 3);
    for (int x = 0; x < rect.width; ++x) {
        EXPECT_EQ(Pixel(pixels, x, 0), panel) << "a frame at the top, x " << x;
        EXPECT_EQ(Pixel(pixels, x, rect.height - 1), panel) << "a frame at the bottom, x " << x;
    }
}

TEST_F(WindowTest, HelpOpensTheHelpFileOrSaysWhyNot) {
    std::vector<std::vector<std::string>> started;
    const CommandStarter previous =
        SetCommandStarter([&started](const std::vector<std::string>& command, std::string&,
                                     const LateFailure& onLateFailure) {
            started.push_back(command);
            // Nothing registered for the file: the window hears of it after the start.
            if (started.size() == 2)
                onLateFailure("no application is registered to show this kind of file.");
            return true;
        });
    const std::filesystem::path help = HelpFilePath();
    const bool existed = std::filesystem::exists(help);
    if (!existed) {
        // Without the file the window says so and starts nothing.
        wxTEST_DIALOG(Command(&Frame(), menu::kHelp), wxExpectModal<wxMessageDialog>(wxID_OK));
        EXPECT_TRUE(started.empty());
        std::filesystem::create_directories(help.parent_path());
        std::ofstream(help) << "<html></html>\n";
    }
    // A message box here would mean a failure to start; answering it keeps the test going.
    wxTEST_DIALOG(Command(&Frame(), menu::kHelp),
                  wxExpectModal<wxMessageDialog>(wxID_OK).Optional());
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].back(), help.string());
    wxTEST_DIALOG(Command(&Frame(), menu::kHelp),
                  ExpectMessage("Help", "The help file " + help.string() +
                                            " cannot be opened: no application is registered "
                                            "to show this kind of file. It can also be opened "
                                            "in a web browser."));
    if (!existed)
        std::filesystem::remove_all(help.parent_path());
    SetCommandStarter(previous);
}

// A menu command and a control with the same id would reach each other's handlers (the
// frame routes both by id).
TEST_F(WindowTest, NoMenuItemSharesItsIdWithAControl) {
    std::vector<const wxMenuItem*> items;
    const auto collect = [&items](const wxMenu* menu, const auto& self) -> void {
        for (const wxMenuItem* item : menu->GetMenuItems()) {
            if (item->GetSubMenu() != nullptr)
                self(item->GetSubMenu(), self);
            else if (!item->IsSeparator())
                items.push_back(item);
        }
    };
    const wxMenuBar* bar = Frame().GetMenuBar();
    ASSERT_NE(bar, nullptr);
    for (size_t i = 0; i < bar->GetMenuCount(); ++i)
        collect(bar->GetMenu(i), collect);
    ASSERT_GT(items.size(), 20u);
    for (const wxMenuItem* item : items) {
        const wxWindow* control = Frame().FindWindow(item->GetId());
        EXPECT_TRUE(control == nullptr || control == &Frame())
            << item->GetItemLabelText() << " has the id " << item->GetId() << " of "
            << control->GetName();
    }
}

TEST_F(WindowTest, AboutNamesTheVersion) {
    wxTEST_DIALOG(Command(&Frame(), menu::kAbout),
                  ExpectMessage("About", "Vyr Administration Software\n\nVersion: 2.2.6"));
}

}  // namespace
}  // namespace vyr::test
