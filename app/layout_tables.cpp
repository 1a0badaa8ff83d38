#include "layout_tables.h"

namespace vyr::layout {
namespace {

// Row makers: one per kind, so that each table row reads like the layout it describes.

constexpr Control Panel(std::string_view key, int id, std::string_view parent, int x, int y, int w,
                        int h) {
    return {.key = key,
            .name = "panel",
            .kind = Kind::Panel,
            .id = id,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .parent = parent};
}

constexpr Control Page(std::string_view key, int id, std::string_view tab) {
    return {.key = key,
            .name = "panel",
            .kind = Kind::Page,
            .id = id,
            .text = tab,
            .x = 4,
            .y = 24,
            .width = 642,
            .height = 364,
            .parent = "notebook"};
}

constexpr Control Label(std::string_view parent, std::string_view name, int id,
                        std::string_view text, int x, int y, unsigned flags = 0) {
    return {.key = name,
            .name = name,
            .kind = Kind::Label,
            .id = id,
            .text = text,
            .x = x,
            .y = y,
            .parent = parent,
            .flags = flags};
}

constexpr Control Check(std::string_view parent, std::string_view name, int id,
                        std::string_view text, int x, int y, int w, int h,
                        std::string_view parameter, unsigned flags = 0, int value = 0) {
    return {.key = name,
            .name = name,
            .kind = Kind::CheckBox,
            .id = id,
            .text = text,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .parent = parent,
            .parameter = parameter,
            .value = value,
            .flags = flags};
}

// A page-1 permission check box: name, text and parameter are the key.
constexpr Control Allow(std::string_view key, int id, std::string_view text, int x, int y, int w) {
    return Check("page_user_software", key, id, text, x, y, w, 17, key);
}

constexpr Control Text(std::string_view parent, std::string_view name, int id,
                       std::string_view text, int x, int y, int w, int h,
                       std::string_view parameter, unsigned flags = 0) {
    return {.key = name,
            .name = name,
            .kind = Kind::TextField,
            .id = id,
            .text = text,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .parent = parent,
            .parameter = parameter,
            .flags = flags};
}

// A read-only value field of the level-control page: 19 high, its own name as text.
constexpr Control ValueField(std::string_view name, int id, int x, int y, int w,
                             unsigned flags = 0) {
    return Text("page_alv", name, id, name, x, y, w, 19, "", kReadOnly | flags);
}

constexpr Control Choice(std::string_view parent, std::string_view name, int id,
                         std::string_view choices, int selection, int x, int y, int w, int h,
                         std::string_view parameter, unsigned flags = 0) {
    return {.key = name,
            .name = name,
            .kind = Kind::Choice,
            .id = id,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .parent = parent,
            .parameter = parameter,
            .choices = choices,
            .selection = selection,
            .flags = flags};
}

constexpr Control Spin(std::string_view parent, std::string_view key, int id, int min, int max,
                       std::string_view initial, int value, int x, int y, int w, int h,
                       std::string_view parameter, unsigned flags = 0) {
    return {.key = key,
            .name = "wxSpinCtrl",
            .kind = Kind::SpinCtrl,
            .id = id,
            .text = initial,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .parent = parent,
            .parameter = parameter,
            .min = min,
            .max = max,
            .value = value,
            .flags = flags};
}

constexpr Control SpinButton(std::string_view parent, std::string_view name, int id, int min,
                             int max, int value, int x, int y, int w, int h,
                             std::string_view parameter, unsigned flags = 0) {
    return {.key = name,
            .name = name,
            .kind = Kind::SpinButton,
            .id = id,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .parent = parent,
            .parameter = parameter,
            .min = min,
            .max = max,
            .value = value,
            .flags = flags};
}

constexpr Control Slider(std::string_view name, int id, int x, int y, int w,
                         std::string_view parameter, unsigned flags = 0) {
    return {.key = name,
            .name = name,
            .kind = Kind::Slider,
            .id = id,
            .x = x,
            .y = y,
            .width = w,
            .height = 25,
            .parent = "page_alv",
            .parameter = parameter,
            .min = 0,
            .max = 32767,
            .value = 0,
            .flags = flags};
}

constexpr Control Toggle(std::string_view parent, std::string_view name, int id,
                         std::string_view text, int x, int y, int w, int h) {
    return {.key = name,
            .name = name,
            .kind = Kind::ToggleButton,
            .id = id,
            .text = text,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .parent = parent};
}

constexpr Control Button(std::string_view parent, std::string_view name, int id,
                         std::string_view text, int x, int y, int w, int h) {
    return {.key = name,
            .name = name,
            .kind = Kind::Button,
            .id = id,
            .text = text,
            .x = x,
            .y = y,
            .width = w,
            .height = h,
            .parent = parent};
}

// ---------------------------------------------------------------------------------------------

constexpr Control kWindowTree[] = {
    Panel("root_panel", -1, kFrameKey, 0, 0, 710, 620),
    Panel("main_panel", 1001, "root_panel", 5, 5, 680, 590),
    Panel("header_panel", -1, "main_panel", 10, 5, 680, 125),
    Panel("preset_bar_panel", -1, "header_panel", 0, 6, 665, 25),
    Panel("preset_button_strip", -1, "preset_bar_panel", 78, 0, 580, 25),
    Panel("info_panel", -1, "header_panel", 0, 40, 665, 80),
    {.key = "notebook",
     .name = "notebook",
     .kind = Kind::Notebook,
     .id = 1066,
     .x = 17,
     .y = 140,
     .width = 650,
     .height = 392,
     .parent = "main_panel"},
    Page("page_user_software", 1067, "User software"),
    Page("page_record", 1068, "  Record  "),
    Page("page_encoding", 1069, "Encoding"),
    Page("page_playback", 1071, "Playback"),
    Page("page_messaging", 1072, "Messaging"),
    Page("page_power", 1074, "Power"),
    Page("page_clock", 1075, "Clock"),
    Page("page_alv", 1291, "ALV"),
    Panel("messaging_inner_panel", -1, "page_messaging", 0, 50, 642, 250),
};

constexpr std::string_view kBar = "preset_bar_panel";
constexpr std::string_view kStrip = "preset_button_strip";
constexpr std::string_view kInfo = "info_panel";

constexpr Control kHeader[] = {
    Label(kBar, "WxStaticText1", 1076, "Edit Preset:", 9, 6),
    Toggle(kStrip, "BTN_PRESET0", 1263, "DEFAULT", 0, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET1", 1049, "1", 58 * 1, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET2", 1050, "2", 58 * 2, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET3", 1051, "3", 58 * 3, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET4", 1052, "4", 58 * 4, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET5", 1053, "5", 58 * 5, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET6", 1054, "6", 58 * 6, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET7", 1055, "7", 58 * 7, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET8", 1056, "8", 58 * 8, 0, 58, 25),
    Toggle(kStrip, "BTN_PRESET9", 1057, "9", 58 * 9, 0, 58, 25),
    Label(kInfo, "mic_label_text", 1258, "Microphone label:", 9, 10),
    Label(kInfo, "active_preset_text", 1412, "Active Preset:", 9, 34),
    Label(kInfo, "preset_name_text", 1262, "Preset name:", 9, 59),
    Text(kInfo, "mic_label", 1257, "", 136, 7, 132, 19, "mic_label"),
    Choice(kInfo, "ActivePresetChooser", 1411, "", kNoSelection, 136, 31, 132, 21, "", kDisabled),
    Text(kInfo, "preset_name", 1261, "", 136, 57, 132, 19, "preset_name"),
    Check(kInfo, "combine_label_prefix", 1260, "Combine mic label with filename prefix", 274, 8,
          200, 17, "combine_label_prefix"),
    Check(kInfo, "presets_enabled", 1264, "Enable presets", 274, 33, 97, 17, "presets_enabled"),
    Check(kInfo, "allow_set_preset", 1444, "Allow U-SW choosing preset", 274, 58, 161, 17,
          "allow_set_preset"),
    // Filled with the serial ports present once the window is up.
    Choice(kInfo, "PortChoice", 1286, "", kNoSelection, 511, 6, 145, 21, ""),
    Toggle(kInfo, "ConnectButton", 1004, "Connect", 511, 33, 145, 25),
};

constexpr Control kUserSoftware[] = {
    Allow("allow_switch_ilm_roi", 1086, "Allow U-SW to enable ALV autoleveling", 35, 41, 275),
    Allow("allow_set_time", 1090, "Allow U-SW to set device time", 320, 249, 296),
    Allow("allow_set_messaging", 1092, "Allow U-SW to enable messaging", 321, 71, 261),
    Allow("allow_set_filename_prefix", 1094, "Allow changing File Name Prefix in User SW", 321, 41,
          362),
    Allow("allow_set_format", 1254, "Allow U-SW to set record format", 35, 101, 244),
    Allow("allow_set_bitrate", 1255, "Allow U-SW to set bitrate", 35, 161, 258),
    Allow("allow_set_mic_gain", 1256, "Allow U-SW to set microphone gain", 320, 191, 233),
    Allow("allow_set_hp_level", 1268, "Allow U-SW to set headphone level", 321, 159, 316),
    Allow("allow_set_sample_rate", 1269, "Allow U-SW to set sample rate", 35, 131, 277),
    Allow("allow_set_line_gain", 1285, "Allow U-SW to set line-in gain", 320, 221, 238),
    Allow("allow_set_output_selection", 1408, "Allow U-SW to set output selection", 321, 101, 316),
    Allow("allow_set_lineout_level", 1409, "Allow U-SW to set lineout level", 321, 130, 316),
    Allow("allow_switch_ilm_li", 1410, "Allow U-SW to enable ALV limiter", 35, 71, 277),
    Allow("allow_set_file_stereo", 1436, "Allow U-SW to enable recording stereo", 35, 191, 233),
    Allow("allow_set_filename_date", 1437, "Allow U-SW to switch timestamp suffix", 35, 221, 238),
    Allow("allow_edit_meta_data", 1447, "Allow U-SW to edit BWF meta data", 35, 248, 238),
};

constexpr std::string_view kRec = "page_record";

constexpr Control kRecord[] = {
    Label(kRec, "WxStaticText3", 1267, "Enable monitoring while recording", 21, 30),
    Check(kRec, "rec_monitoring_while_record", 1266, "", 319, 28, 16, 17,
          "rec_monitoring_while_record"),
    Label(kRec, "label_man_level", 1106, "Manual microphone level adjustment (dB)", 20, 61),
    Spin(kRec, "spin_rec_mic_level", 1107, 0, 60, "18", 18, 253, 57, 80, 22, "rec_mic_level"),
    Label(kRec, "WxStaticText4", 1270, "Manual line gain adjustment (dB)", 20, 91),
    Spin(kRec, "spin_rec_line_level", 1271, -15, 30, "0", 0, 253, 86, 80, 22, "rec_line_level"),
    Label(kRec, "WxStaticText7", 1108, "Voice activated record on when device active", 21, 121),
    Check(kRec, "var_on_after_boot", 1109, "", 319, 121, 17, 17, "rec_var_active_after_boot"),
    Label(kRec, "Exclamation1", 1426, "!", 28, 145, kMark),
    Label(kRec, "WxStaticText79", 1417, "Auto Leveling may have effect on Voice Activated Record",
          44, 149),
    Label(kRec, "WxStaticText8", 1110, "Voice activated record start threshold (dBFS)", 21, 177),
    Spin(kRec, "spin_rec_var_start_threshold", 1111, -50, 0, "0", 0, 253, 175, 80, 22,
         "rec_var_start_threshold"),
    Label(kRec, "var_auto_stop_lbl", 1283, "Voice activated record automatic stop", 21, 207),
    Check(kRec, "var_auto_stop", 1282, "", 319, 205, 17, 17, "rec_var_autostop_enabled"),
    Label(kRec, "var_auto_stop_thrs_lbl", 1277, "Voice activated record stop threshold (dBFS)", 21,
          237),
    Spin(kRec, "spin_rec_var_stop_threshold", 1278, -50, 0, "0", 0, 253, 233, 80, 22,
         "rec_var_stop_threshold"),
    Label(kRec, "var_hold_time_lbl", 1279, "Voice activated record hold time (s)", 21, 267),
    Spin(kRec, "spin_rec_var_hold_time", 1281, 1, 300, "1", 1, 253, 263, 80, 22,
         "rec_var_hold_time"),
    {.key = "staticLine",
     .name = "staticLine",
     .kind = Kind::VerticalLine,
     .id = 1116,
     .x = 348,
     .y = 11,
     .height = 337,
     .parent = kRec},
    Label(kRec, "WxStaticText77", 1384, "REC button action while recording", 367, 28),
    Choice(kRec, "rec_break_mode", 1383, "marker|split|pause", 1, 547, 27, 81, 21,
           "rec_break_mode"),
    Label(kRec, "WxStaticText9", 1112, "Preroll when device active", 367, 57),
    Check(kRec, "rec_buffer_on", 1113, "", 613, 57, 17, 17, "rec_buffer_mode_after_boot"),
    Label(kRec, "label_rec_buffer_length", 1241, "Buffer length (s)", 367, 88),
    Spin(kRec, "spin_rec_buffer_length", 1240, 1, 30, "1", 1, 547, 82, 80, 22, "rec_buffer_length"),
    Label(kRec, "WxStaticText11", 1117, "Presence filter on", 367, 118),
    Check(kRec, "pres_filter_on", 1118, "", 613, 117, 17, 17, "rec_presence_filter_on"),
    Label(kRec, "WxStaticText12", 1119, "Presence filter intensity", 367, 148),
    Spin(kRec, "spin_rec_presence_filter_gain", 1120, 1, 6, "1", 1, 547, 145, 80, 22,
         "rec_presence_filter_gain"),
    Label(kRec, "WxStaticText13", 1121, "High pass filter on", 367, 178),
    Check(kRec, "hpf_on", 1122, "", 613, 177, 17, 17, "rec_highpass_on"),
    Label(kRec, "WxStaticText14", 1123, "High pass filter frequency (Hz)", 367, 208),
    Choice(kRec, "hpf_freq", 1244, "80|100|120|150|180|200", 2, 547, 205, 81, 21,
           "rec_highpass_freq"),
    Label(kRec, "WxStaticText17", 1439, "Stop recordings via double click", 367, 238),
    Check(kRec, "rec_stop_double", 1440, "", 613, 237, 18, 17, "rec_stop_double"),
};

constexpr std::string_view kEnc = "page_encoding";

constexpr Control kEncoding[] = {
    Label(kEnc, "WxStaticText23", 1137, "Record format", 110, 62),
    Choice(kEnc, "rec_format", 1143, "WAV|BWF|MP2", 0, 341, 59, 81, 21, "rec_file_format"),
    Button(kEnc, "MetaDataBtn", 1446, "BWF Metadata", 443, 57, 98, 24),
    Label(kEnc, "WxStaticText20", 1134, "Sample rate (Hz)", 110, 95),
    Choice(kEnc, "rec_sample_rate", 1140, "48000|44100|32000", 0, 342, 92, 80, 21,
           "rec_sample_rate"),
    Label(kEnc, "Exclamation2", 1422, "!", 114, 125, kMark),
    Label(kEnc, "WxStaticText10", 1425, "Switch to other SR may have effect on limiter settings",
          129, 128),
    Label(kEnc, "WxStaticText21", 1135,
          "Data compression rate (kbit/s)\nPlease note that these values\nrefer to a mono file!",
          110, 159),
    Choice(kEnc, "rec_compr_rate", 1141, "---", kNoSelection, 342, 156, 80, 21, "rec_bitrate"),
    Label(kEnc, "WxStaticText16", 1433, "Record as stereo file", 110, 228),
    Check(kEnc, "rec_file_stereo", 1434, "", 342, 224, 17, 24, "rec_file_stereo"),
    Label(kEnc, "WxStaticText24", 1138, "Filename prefix", 110, 275),
    Text(kEnc, "rec_filename_prefix", 1144, "", 259, 272, 163, 19, "rec_filename_prefix"),
    Label(kEnc, "WxStaticText15", 1430, "Timestamp suffix", 110, 305),
    Choice(kEnc, "rec_filename_date", 1442, "none|date only|time only|date and time", kNoSelection,
           259, 301, 163, 21, "combine_date_prefix"),
};

constexpr std::string_view kPlay = "page_playback";

constexpr Control kPlayback[] = {
    Label(kPlay, "WxStaticText26", 1146, "Playback mode", 170, 91),
    Choice(kPlay, "play_continuous_playback", 1441, "continuous|single file", kNoSelection, 334, 87,
           136, 21, "play_continuous_playback"),
    Label(kPlay, "WxStaticText27", 1147, "Locator position after record ", 170, 121),
    Choice(kPlay, "play_start_at", 1245, "start of recorded file|resume previous position", 0, 334,
           117, 136, 21, "play_playback_start_position"),
    Label(kPlay, "WxStaticText29", 1149, "Output selection", 170, 181),
    Choice(kPlay, "play_output_selection", 1246, "Headphone|Lineout|Lineout (balanced)", 0, 334,
           177, 135, 21, "play_output_selection"),
    Label(kPlay, "WxStaticText30", 1150, "Headphone amp level", 170, 211),
    Text(kPlay, "play_headset_level_text", 1386, "0dB", 335, 208, 115, 20, "", kReadOnly),
    SpinButton(kPlay, "play_headset_level_spin", 1387, -68, 0, 0, 450, 207, 20, 21,
               "play_headset_level"),
    Label(kPlay, "WxStaticText31", 1151, "Lineout level", 170, 241),
    Text(kPlay, "play_lineout_level_text", 1389, "0dB", 335, 236, 115, 20, "", kReadOnly),
    SpinButton(kPlay, "play_lineout_level_spin", 1388, -68, 0, 0, 450, 235, 20, 21,
               "play_lineout_level"),
};

constexpr std::string_view kMess = "messaging_inner_panel";

constexpr Control kMessaging[] = {
    Check(kMess, "messaging_enabled", 1265, "Enable messaging", 228, 7, 172, 26, "mess_enabled",
          kTextLeft | kHeading),
    Label(kMess, "WxStaticText36", 1163, "Message on low power", 169, 72),
    Check(kMess, "mess_empty_battery", 1175, "", 419, 71, 17, 17, "mess2_empty_battery"),
    Label(kMess, "WxStaticText38", 1165, "Message on full memory", 169, 103),
    Check(kMess, "mess_full_memory", 1176, "", 419, 102, 17, 17, "mess2_full_memory"),
    Label(kMess, "WxStaticText37", 1166, "Message file number via stop in on-mode", 169, 135),
    Check(kMess, "mess_file_nr_on_mode", 1177, "", 419, 134, 17, 17, "mess2_file_nr_on_mode"),
    Label(kMess, "WxStaticText39", 1167, "Message file number in playback mode", 169, 168),
    Check(kMess, "mess_file_nr_play_mode", 1178, "mess_file_nr_play_mode", 419, 167, 16, 17,
          "mess2_file_nr_play_mode", kTextCut),
    Label(kMess, "WxStaticText40", 1168, "Level for Messaging", 169, 205),
    Text(kMess, "mess_level_group2_text", 1394, "0dB", 351, 203, 64, 20, "", kReadOnly),
    SpinButton(kMess, "mess_level_group2_spin", 1395, -68, 0, 0, 415, 202, 20, 21, "mess2_level"),
};

constexpr std::string_view kPow = "page_power";

constexpr Control kPower[] = {
    Label(kPow, "WxStaticText5", 1272, "Preferred power source", 236, 95),
    Choice(kPow, "pm_prefered_power_source", 1274, "battery|internal", kNoSelection, 375, 92, 80,
           21, "pm_prefered_power_source"),
    Label(kPow, "WxStaticText2", 1452, "Enable auto shutdown", 238, 163),
    Check(kPow, "pm_shutdown_enable_checkbox", 1449, "pm_shutdown_enable_checkbox", 375, 163, 16,
          18, "pm_shutdown_enable", kTextCut),
    Label(kPow, "WxStaticText18", 1453, "Auto shutdown device after inactivity of (HH:MM)", 108,
          190),
    Text(kPow, "pm_shutdown_time_edit", 1448, "", 375, 188, 59, 20, "", kReadOnly),
    SpinButton(kPow, "pm_shutdown_time_spin", 1451, 10, 179, 10, 435, 188, 20, 21,
               "pm_shutdown_time"),
    Label(kPow, "WxStaticText19", 1454, "Ignore VAR mode at auto shutdown", 176, 217),
    Check(kPow, "pm_shutdown_onvar_checkbox", 1450, "pm_shutdown_enable_checkbox", 374, 218, 16, 18,
          "pm_shutdown_onvar", kTextCut),
    Label(kPow, "Exclamation3", 1457, "!", 179, 238, kMark),
    Label(kPow, "WxStaticText22", 1456, "Normally in VAR mode auto shutdown will not occur", 194,
          241),
};

constexpr std::string_view kClk = "page_clock";

constexpr Control kClock[] = {
    Label(kClk, "DeviceTimeString", 1284, "Device Time", 159, 106),
    Label(kClk, "WxStaticText72", 1235, "Autom. sync with PC clock when SW connected to mic", 158,
          136),
    Check(kClk, "rtc_autosync_enable", 1238, "", 441, 135, 17, 17, "rtc_autosync"),
    {.key = "DatePicker",
     .name = "DatePicker",
     .kind = Kind::DatePicker,
     .id = 1249,
     .x = 158,
     .y = 170,
     .width = 91,
     .height = 21,
     .parent = kClk},
    Spin(kClk, "spin_rtc_hour", 1250, 0, 23, "0", 0, 254, 170, 46, 22, "", kWrap),
    Spin(kClk, "spin_rtc_minute", 1251, 0, 59, "0", 0, 304, 170, 46, 22, ""),
    Button(kClk, "rtc_sync_now", 1237, "Sync now", 355, 170, 99, 23),
    Check(kClk, "rtc_use_realtime", 1253, "Use host time", 359, 195, 97, 17, "", 0, 1),
};

constexpr unsigned kH = kHidden;
constexpr std::string_view kAlv = "page_alv";

constexpr Control kAlvPage[] = {
    Label(kAlv, "WxStaticText28", 1326, "Hard end threshold", 15, 35, kH),
    Slider("he_th_slider", 1325, 5, 49, 185, "he_th", kH),
    ValueField("he_th_label", 1340, 196, 52, 80, kH),
    Label(kAlv, "WxStaticText53", 1330, "Hard end damping level", 286, 35, kH),
    SpinButton(kAlv, "he_pga_down_spinbutton", 1328, -36, 0, 0, 286, 49, 15, 25, "he_pga_down", kH),
    ValueField("he_pga_down_label", 1339, 305, 52, 95, kH),
    Label(kAlv, "WxStaticText54", 1333, "Hard end recovery time", 411, 35, kH),
    SpinButton(kAlv, "he_step_timeout_spinbutton", 1331, 0, 20, 0, 411, 49, 15, 25,
               "he_step_timeout", kH),
    ValueField("he_step_timeout_label", 1338, 429, 52, 95, kH),
    Label(kAlv, "WxStaticText55", 1336, "Over samples", 534, 35, kH),
    SpinButton(kAlv, "he_max_overs_spinbutton", 1334, 1, 10, 1, 534, 49, 15, 25, "he_max_overs",
               kH),
    ValueField("he_max_overs_label", 1337, 553, 52, 80, kH),
    Check(kAlv, "roi_enable_checkbox", 1342, "Autoleveling ON", 8, 9, 174, 17, "roi_enable"),
    Label(kAlv, "WxStaticText57", 1347, "Upper target level", 15, 85),
    Slider("roi_up_th_slider", 1341, 5, 99, 185, "roi_up_th"),
    ValueField("roi_up_th_label", 1343, 196, 102, 80),
    Label(kAlv, "WxStaticText56", 1345, "Damping level", 286, 85, kH),
    SpinButton(kAlv, "roi_pga_down_spinbutton", 1344, -6, 0, 0, 286, 99, 15, 25, "roi_pga_down",
               kH),
    ValueField("roi_pga_down_label", 1346, 305, 102, 95, kH),
    Label(kAlv, "WxStaticText58", 1349, "Damping hold time", 411, 85, kH),
    SpinButton(kAlv, "roi_pga_down_hold_spinbutton", 1348, 0, 20, 0, 411, 99, 15, 25,
               "roi_pga_down_hold", kH),
    ValueField("roi_pga_down_hold_label", 1350, 429, 102, 95, kH),
    Label(kAlv, "WxStaticText59", 1352, "Ref raise time", 534, 85, kH),
    SpinButton(kAlv, "roi_att_spinbutton", 1351, 0, 10, 0, 534, 99, 15, 25, "roi_att", kH),
    ValueField("roi_att_label", 1353, 553, 102, 80, kH),
    Label(kAlv, "WxStaticText60", 1355, "Lower target level", 15, 135),
    Slider("roi_low_th_slider", 1354, 5, 149, 185, "roi_low_th"),
    ValueField("roi_low_th_label", 1356, 196, 152, 80),
    Label(kAlv, "WxStaticText61", 1358, "Gain level", 286, 135, kH),
    SpinButton(kAlv, "roi_pga_up_spinbutton", 1357, 0, 6, 0, 286, 149, 15, 25, "roi_pga_up", kH),
    ValueField("roi_pga_up_label", 1359, 305, 152, 95, kH),
    Label(kAlv, "WxStaticText62", 1361, "Gain hold time", 412, 135, kH),
    SpinButton(kAlv, "roi_pga_up_hold_spinbutton", 1360, 0, 20, 0, 411, 149, 15, 25,
               "roi_pga_up_hold", kH),
    ValueField("roi_pga_up_hold_label", 1362, 429, 152, 95, kH),
    Label(kAlv, "WxStaticText63", 1365, "Ref fall time", 534, 135, kH),
    SpinButton(kAlv, "roi_rel_spinbutton", 1363, 0, 10, 0, 534, 149, 15, 25, "roi_rel", kH),
    ValueField("roi_rel_label", 1364, 553, 152, 80, kH),
    Label(kAlv, "WxStaticText64", 1367, "Noise floor threshold", 15, 185),
    Slider("roi_no_th_slider", 1366, 5, 199, 186, "roi_no_th"),
    ValueField("roi_no_th_label", 1368, 196, 199, 80),
    Check(kAlv, "li_enable_checkbox", 1370, "Limiter ON", 8, 253, 94, 17, "li_enable"),
    Label(kAlv, "WxStaticText65", 1372, "Threshold", 15, 285),
    Slider("li_th_slider", 1371, 5, 299, 185, "li_th"),
    ValueField("li_th_label", 1373, 196, 302, 80),
    Label(kAlv, "WxStaticText74", 1375, "Attack", 286, 285),
    SpinButton(kAlv, "li_att_spinbutton", 1374, 0, 16, 0, 286, 299, 15, 25, "li_att"),
    ValueField("li_att_label", 1376, 305, 302, 95),
    Label(kAlv, "WxStaticText75", 1379, "Release", 411, 285),
    SpinButton(kAlv, "li_rel_spinbutton", 1377, 0, 16, 0, 411, 299, 15, 25, "li_rel"),
    ValueField("li_rel_label", 1378, 429, 302, 98),
    Label(kAlv, "WxStaticText76", 1382, "Look ahead", 534, 285),
    SpinButton(kAlv, "li_adv_spinbutton", 1380, 0, 16, 0, 534, 299, 15, 25, "li_adv"),
    ValueField("li_adv_label", 1381, 553, 302, 80),
};

constexpr Table kTables[] = {
    {"window tree", kWindowTree},
    {"header", kHeader},
    {"User software", kUserSoftware},
    {"Record", kRecord},
    {"Encoding", kEncoding},
    {"Playback", kPlayback},
    {"Messaging", kMessaging},
    {"Power", kPower},
    {"Clock", kClock},
    {"ALV", kAlvPage},
};

// Which label captions which control, page by page.
constexpr Captioned kCaptions[] = {
    {"mic_label", "mic_label_text"},
    {"ActivePresetChooser", "active_preset_text"},
    {"preset_name", "preset_name_text"},
    // Record
    {"rec_monitoring_while_record", "WxStaticText3"},
    {"spin_rec_mic_level", "label_man_level"},
    {"spin_rec_line_level", "WxStaticText4"},
    {"var_on_after_boot", "WxStaticText7"},
    {"spin_rec_var_start_threshold", "WxStaticText8"},
    {"var_auto_stop", "var_auto_stop_lbl"},
    {"spin_rec_var_stop_threshold", "var_auto_stop_thrs_lbl"},
    {"spin_rec_var_hold_time", "var_hold_time_lbl"},
    {"rec_break_mode", "WxStaticText77"},
    {"rec_buffer_on", "WxStaticText9"},
    {"spin_rec_buffer_length", "label_rec_buffer_length"},
    {"pres_filter_on", "WxStaticText11"},
    {"spin_rec_presence_filter_gain", "WxStaticText12"},
    {"hpf_on", "WxStaticText13"},
    {"hpf_freq", "WxStaticText14"},
    {"rec_stop_double", "WxStaticText17"},
    // Encoding
    {"rec_format", "WxStaticText23"},
    {"rec_sample_rate", "WxStaticText20"},
    {"rec_compr_rate", "WxStaticText21"},
    {"rec_file_stereo", "WxStaticText16"},
    {"rec_filename_prefix", "WxStaticText24"},
    {"rec_filename_date", "WxStaticText15"},
    // Playback
    {"play_continuous_playback", "WxStaticText26"},
    {"play_start_at", "WxStaticText27"},
    {"play_output_selection", "WxStaticText29"},
    {"play_headset_level_spin", "WxStaticText30"},
    {"play_lineout_level_spin", "WxStaticText31"},
    // Messaging
    {"mess_empty_battery", "WxStaticText36"},
    {"mess_full_memory", "WxStaticText38"},
    {"mess_file_nr_on_mode", "WxStaticText37"},
    {"mess_file_nr_play_mode", "WxStaticText39"},
    {"mess_level_group2_spin", "WxStaticText40"},
    // Power
    {"pm_prefered_power_source", "WxStaticText5"},
    {"pm_shutdown_enable_checkbox", "WxStaticText2"},
    {"pm_shutdown_time_spin", "WxStaticText18"},
    {"pm_shutdown_onvar_checkbox", "WxStaticText19"},
    // Clock
    {"rtc_autosync_enable", "WxStaticText72"},
    // ALV
    {"he_th_slider", "WxStaticText28"},
    {"he_pga_down_spinbutton", "WxStaticText53"},
    {"he_step_timeout_spinbutton", "WxStaticText54"},
    {"he_max_overs_spinbutton", "WxStaticText55"},
    {"roi_up_th_slider", "WxStaticText57"},
    {"roi_pga_down_spinbutton", "WxStaticText56"},
    {"roi_pga_down_hold_spinbutton", "WxStaticText58"},
    {"roi_att_spinbutton", "WxStaticText59"},
    {"roi_low_th_slider", "WxStaticText60"},
    {"roi_pga_up_spinbutton", "WxStaticText61"},
    {"roi_pga_up_hold_spinbutton", "WxStaticText62"},
    {"roi_rel_spinbutton", "WxStaticText63"},
    {"roi_no_th_slider", "WxStaticText64"},
    {"li_th_slider", "WxStaticText65"},
    {"li_att_spinbutton", "WxStaticText74"},
    {"li_rel_spinbutton", "WxStaticText75"},
    {"li_adv_spinbutton", "WxStaticText76"},
};

// ---------------------------------------------------------------------------------------------
// Adaptation to GTK3 metrics. The tables above keep the places of the compact layout the
// window was designed in, which Windows uses as they are; on GTK the rows here move or resize
// what does not fit the taller GTK controls, even with the compact style.

struct Adjustment {
    std::string_view key;
    Rect rect;
};

constexpr Adjustment kAdjustments[] = {
    // The header panel keeps inside the main panel.
    {"header_panel", {10, 5, 670, 125}},
    // Check boxes as wide as their texts.
    {"combine_label_prefix", {274, 8, 234, 17}},
    {"presets_enabled", {274, 33, 106, 17}},
    {"allow_set_preset", {274, 58, 177, 17}},
    {"allow_set_filename_prefix", {321, 41, 300, 17}},
    {"messaging_enabled", {206, 7, 196, 26}},
    // Record: the note passes left of the divider, the right column moves right to clear
    // its captions.
    {"WxStaticText79", {40, 149, kAuto, kAuto}},
    {"staticLine", {360, 11, kAuto, 337}},
    {"WxStaticText77", {368, 28, kAuto, kAuto}},
    {"WxStaticText9", {368, 57, kAuto, kAuto}},
    {"label_rec_buffer_length", {368, 88, kAuto, kAuto}},
    {"WxStaticText11", {368, 118, kAuto, kAuto}},
    {"WxStaticText12", {368, 148, kAuto, kAuto}},
    {"WxStaticText13", {368, 178, kAuto, kAuto}},
    {"WxStaticText14", {368, 208, kAuto, kAuto}},
    {"WxStaticText17", {368, 238, kAuto, kAuto}},
    {"spin_rec_mic_level", {272, 57, 80, 22}},
    {"spin_rec_line_level", {272, 86, 80, 22}},
    {"spin_rec_var_start_threshold", {272, 175, 80, 22}},
    {"spin_rec_var_stop_threshold", {272, 233, 80, 22}},
    {"spin_rec_var_hold_time", {272, 263, 80, 22}},
    {"rec_break_mode", {558, 27, 81, 21}},
    {"spin_rec_buffer_length", {558, 82, 80, 22}},
    {"spin_rec_presence_filter_gain", {558, 145, 80, 22}},
    {"hpf_freq", {558, 205, 81, 21}},
    {"rec_buffer_on", {615, 57, 17, 17}},
    {"pres_filter_on", {615, 117, 17, 17}},
    {"hpf_on", {615, 177, 17, 17}},
    {"rec_stop_double", {615, 237, 18, 17}},
    // Encoding: GTK push buttons are taller.
    {"MetaDataBtn", {443, 56, 98, 28}},
    // Playback: choices wide enough for their longest entry; the level displays beside
    // spin buttons of GTK's width.
    {"play_continuous_playback", {334, 87, 172, 21}},
    {"play_start_at", {334, 117, 172, 21}},
    {"play_output_selection", {334, 177, 172, 21}},
    {"play_headset_level_text", {335, 208, 128, 20}},
    {"play_headset_level_spin", {463, 207, 43, 21}},
    {"play_lineout_level_text", {335, 236, 128, 20}},
    {"play_lineout_level_spin", {463, 235, 43, 21}},
    // Messaging and power: spin buttons of GTK's width.
    {"mess_empty_battery", {426, 71, 17, 17}},
    {"mess_full_memory", {426, 102, 17, 17}},
    {"mess_file_nr_on_mode", {426, 134, 17, 17}},
    {"mess_file_nr_play_mode", {426, 167, 16, 17}},
    {"mess_level_group2_spin", {415, 202, 43, 21}},
    {"WxStaticText18", {100, 190, kAuto, kAuto}},
    {"pm_shutdown_time_spin", {435, 188, 43, 21}},
    // Clock: the check box clears its caption; spin controls wide enough for two digits
    // beside GTK's buttons.
    {"rtc_autosync_enable", {460, 135, 17, 17}},
    {"spin_rtc_hour", {254, 170, 78, 22}},
    {"spin_rtc_minute", {336, 170, 78, 22}},
    {"rtc_sync_now", {418, 167, 99, 28}},
    {"rtc_use_realtime", {422, 200, 97, 17}},
    // Level control: GTK spin buttons are 43 wide, so the slider column narrows and the three
    // adjuster columns move left; each value field is as wide as its longest text needs
    // (look-ahead "10.00 ms", reference times "112.96 s", limiter times "4520.0 ms").
    {"he_th_slider", {5, 49, 165, 25}},
    {"he_th_label", {174, 52, 64, 19}},
    {"roi_up_th_slider", {5, 99, 165, 25}},
    {"roi_up_th_label", {174, 102, 64, 19}},
    {"roi_low_th_slider", {5, 149, 165, 25}},
    {"roi_low_th_label", {174, 152, 64, 19}},
    {"roi_no_th_slider", {5, 199, 166, 25}},
    {"roi_no_th_label", {174, 199, 64, 19}},
    {"li_th_slider", {5, 299, 165, 25}},
    {"li_th_label", {174, 302, 64, 19}},
    {"WxStaticText53", {246, 35, kAuto, kAuto}},
    {"he_pga_down_spinbutton", {246, 49, 43, 25}},
    {"he_pga_down_label", {291, 52, 72, 19}},
    {"WxStaticText54", {384, 35, kAuto, kAuto}},
    {"he_step_timeout_spinbutton", {384, 49, 43, 25}},
    {"he_step_timeout_label", {429, 52, 72, 19}},
    {"WxStaticText55", {520, 35, kAuto, kAuto}},
    {"he_max_overs_spinbutton", {520, 49, 43, 25}},
    {"he_max_overs_label", {565, 52, 72, 19}},
    {"WxStaticText56", {246, 85, kAuto, kAuto}},
    {"roi_pga_down_spinbutton", {246, 99, 43, 25}},
    {"roi_pga_down_label", {291, 102, 72, 19}},
    {"WxStaticText58", {384, 85, kAuto, kAuto}},
    {"roi_pga_down_hold_spinbutton", {384, 99, 43, 25}},
    {"roi_pga_down_hold_label", {429, 102, 72, 19}},
    {"WxStaticText59", {520, 85, kAuto, kAuto}},
    {"roi_att_spinbutton", {520, 99, 43, 25}},
    {"roi_att_label", {565, 102, 72, 19}},
    {"WxStaticText61", {246, 135, kAuto, kAuto}},
    {"roi_pga_up_spinbutton", {246, 149, 43, 25}},
    {"roi_pga_up_label", {291, 152, 72, 19}},
    {"WxStaticText62", {384, 135, kAuto, kAuto}},
    {"roi_pga_up_hold_spinbutton", {384, 149, 43, 25}},
    {"roi_pga_up_hold_label", {429, 152, 72, 19}},
    {"WxStaticText63", {520, 135, kAuto, kAuto}},
    {"roi_rel_spinbutton", {520, 149, 43, 25}},
    {"roi_rel_label", {565, 152, 72, 19}},
    {"WxStaticText74", {246, 285, kAuto, kAuto}},
    {"li_att_spinbutton", {246, 299, 43, 25}},
    {"li_att_label", {291, 302, 72, 19}},
    {"WxStaticText75", {384, 285, kAuto, kAuto}},
    {"li_rel_spinbutton", {384, 299, 43, 25}},
    {"li_rel_label", {429, 302, 72, 19}},
    {"WxStaticText76", {520, 285, kAuto, kAuto}},
    {"li_adv_spinbutton", {520, 299, 43, 25}},
    {"li_adv_label", {565, 302, 72, 19}},
};

}  // namespace

std::span<const Table> Tables() {
    return kTables;
}

std::vector<std::string_view> SplitChoices(std::string_view choices) {
    std::vector<std::string_view> entries;
    if (choices.empty())
        return entries;
    for (;;) {
        const auto bar = choices.find('|');
        entries.push_back(choices.substr(0, bar));
        if (bar == std::string_view::npos)
            return entries;
        choices.remove_prefix(bar + 1);
    }
}

Rect Placement(const Control& control) {
    // Native Windows controls fit the designed places; GTK's taller ones need the adjustments.
#ifdef __WXGTK__
    for (const Adjustment& a : kAdjustments) {
        if (a.key == control.key)
            return a.rect;
    }
#endif
    return {control.x, control.y, control.width, control.height};
}

std::span<const Captioned> Captions() {
    return kCaptions;
}

const Control* CaptionOf(std::string_view control) {
    for (const Captioned& pair : kCaptions) {
        if (pair.control == control)
            return Find(pair.caption);
    }
    return nullptr;
}

const Control* Find(std::string_view key) {
    for (const Table& table : kTables) {
        for (const Control& c : table.controls) {
            if (c.key == key)
                return &c;
        }
    }
    return nullptr;
}

}  // namespace vyr::layout
