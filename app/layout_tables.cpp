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

// Where a row has OnGtk, GTK3's controls do not fit the designed place even in the compact
// style: its check boxes are as wide as their texts, its push buttons and spin controls are
// taller and its spin buttons 43 wide. So on GTK the Record page's right column moves right
// to clear its captions, the choices of Playback are as wide as their longest entry, and on
// the level-control page the slider column narrows and the three adjuster columns move left,
// each value field as wide as its longest text ("10.00 ms", "112.96 s", "4520.0 ms").
constexpr Control kWindowTree[] = {
    Panel("root_panel", -1, kFrameKey, 0, 0, 710, 620),
    Panel("main_panel", 1001, "root_panel", 5, 5, 680, 590),
    Panel("header_panel", -1, "main_panel", 10, 5, 680, 125).OnGtk(10, 5, 670, 125),
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
    Text(kInfo, "mic_label", 1257, "", 136, 7, 132, 19, "mic_label").CaptionedBy("mic_label_text"),
    Choice(kInfo, "ActivePresetChooser", 1411, "", kNoSelection, 136, 31, 132, 21, "", kDisabled)
        .CaptionedBy("active_preset_text"),
    Text(kInfo, "preset_name", 1261, "", 136, 57, 132, 19, "preset_name")
        .CaptionedBy("preset_name_text"),
    Check(kInfo, "combine_label_prefix", 1260, "Combine mic label with filename prefix", 274, 8,
          200, 17, "combine_label_prefix")
        .OnGtk(274, 8, 234, 17),
    Check(kInfo, "presets_enabled", 1264, "Enable presets", 274, 33, 97, 17, "presets_enabled")
        .OnGtk(274, 33, 106, 17),
    Check(kInfo, "allow_set_preset", 1444, "Allow U-SW choosing preset", 274, 58, 161, 17,
          "allow_set_preset")
        .OnGtk(274, 58, 177, 17),
    // Filled with the serial ports present once the window is up.
    Choice(kInfo, "PortChoice", 1286, "", kNoSelection, 511, 6, 145, 21, ""),
    Toggle(kInfo, "ConnectButton", 1004, "Connect", 511, 33, 145, 25),
};

constexpr Control kUserSoftware[] = {
    Allow("allow_switch_ilm_roi", 1086, "Allow U-SW to enable ALV autoleveling", 35, 41, 275),
    Allow("allow_set_time", 1090, "Allow U-SW to set device time", 320, 249, 296),
    Allow("allow_set_messaging", 1092, "Allow U-SW to enable messaging", 321, 71, 261),
    Allow("allow_set_filename_prefix", 1094, "Allow changing File Name Prefix in User SW", 321, 41,
          362)
        .OnGtk(321, 41, 300, 17),
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
          "rec_monitoring_while_record")
        .CaptionedBy("WxStaticText3"),
    Label(kRec, "label_man_level", 1106, "Manual microphone level adjustment (dB)", 20, 61),
    Spin(kRec, "spin_rec_mic_level", 1107, 0, 60, "18", 18, 253, 57, 80, 22, "rec_mic_level")
        .CaptionedBy("label_man_level")
        .OnGtk(272, 57, 80, 22),
    Label(kRec, "WxStaticText4", 1270, "Manual line gain adjustment (dB)", 20, 91),
    Spin(kRec, "spin_rec_line_level", 1271, -15, 30, "0", 0, 253, 86, 80, 22, "rec_line_level")
        .CaptionedBy("WxStaticText4")
        .OnGtk(272, 86, 80, 22),
    Label(kRec, "WxStaticText7", 1108, "Voice activated record on when device active", 21, 121),
    Check(kRec, "var_on_after_boot", 1109, "", 319, 121, 17, 17, "rec_var_active_after_boot")
        .CaptionedBy("WxStaticText7"),
    Label(kRec, "Exclamation1", 1426, "!", 28, 145, kMark),
    Label(kRec, "WxStaticText79", 1417, "Auto Leveling may have effect on Voice Activated Record",
          44, 149)
        .OnGtk(40, 149),
    Label(kRec, "WxStaticText8", 1110, "Voice activated record start threshold (dBFS)", 21, 177),
    Spin(kRec, "spin_rec_var_start_threshold", 1111, -50, 0, "0", 0, 253, 175, 80, 22,
         "rec_var_start_threshold")
        .CaptionedBy("WxStaticText8")
        .OnGtk(272, 175, 80, 22),
    Label(kRec, "var_auto_stop_lbl", 1283, "Voice activated record automatic stop", 21, 207),
    Check(kRec, "var_auto_stop", 1282, "", 319, 205, 17, 17, "rec_var_autostop_enabled")
        .CaptionedBy("var_auto_stop_lbl"),
    Label(kRec, "var_auto_stop_thrs_lbl", 1277, "Voice activated record stop threshold (dBFS)", 21,
          237),
    Spin(kRec, "spin_rec_var_stop_threshold", 1278, -50, 0, "0", 0, 253, 233, 80, 22,
         "rec_var_stop_threshold")
        .CaptionedBy("var_auto_stop_thrs_lbl")
        .OnGtk(272, 233, 80, 22),
    Label(kRec, "var_hold_time_lbl", 1279, "Voice activated record hold time (s)", 21, 267),
    Spin(kRec, "spin_rec_var_hold_time", 1281, 1, 300, "1", 1, 253, 263, 80, 22,
         "rec_var_hold_time")
        .CaptionedBy("var_hold_time_lbl")
        .OnGtk(272, 263, 80, 22),
    Control{.key = "staticLine",
            .name = "staticLine",
            .kind = Kind::VerticalLine,
            .id = 1116,
            .x = 348,
            .y = 11,
            .height = 337,
            .parent = kRec}
        .OnGtk(360, 11, kAuto, 337),
    Label(kRec, "WxStaticText77", 1384, "REC button action while recording", 367, 28)
        .OnGtk(368, 28),
    Choice(kRec, "rec_break_mode", 1383, "marker|split|pause", 1, 547, 27, 81, 21, "rec_break_mode")
        .CaptionedBy("WxStaticText77")
        .OnGtk(558, 27, 81, 21),
    Label(kRec, "WxStaticText9", 1112, "Preroll when device active", 367, 57).OnGtk(368, 57),
    Check(kRec, "rec_buffer_on", 1113, "", 613, 57, 17, 17, "rec_buffer_mode_after_boot")
        .CaptionedBy("WxStaticText9")
        .OnGtk(615, 57, 17, 17),
    Label(kRec, "label_rec_buffer_length", 1241, "Buffer length (s)", 367, 88).OnGtk(368, 88),
    Spin(kRec, "spin_rec_buffer_length", 1240, 1, 30, "1", 1, 547, 82, 80, 22, "rec_buffer_length")
        .CaptionedBy("label_rec_buffer_length")
        .OnGtk(558, 82, 80, 22),
    Label(kRec, "WxStaticText11", 1117, "Presence filter on", 367, 118).OnGtk(368, 118),
    Check(kRec, "pres_filter_on", 1118, "", 613, 117, 17, 17, "rec_presence_filter_on")
        .CaptionedBy("WxStaticText11")
        .OnGtk(615, 117, 17, 17),
    Label(kRec, "WxStaticText12", 1119, "Presence filter intensity", 367, 148).OnGtk(368, 148),
    Spin(kRec, "spin_rec_presence_filter_gain", 1120, 1, 6, "1", 1, 547, 145, 80, 22,
         "rec_presence_filter_gain")
        .CaptionedBy("WxStaticText12")
        .OnGtk(558, 145, 80, 22),
    Label(kRec, "WxStaticText13", 1121, "High pass filter on", 367, 178).OnGtk(368, 178),
    Check(kRec, "hpf_on", 1122, "", 613, 177, 17, 17, "rec_highpass_on")
        .CaptionedBy("WxStaticText13")
        .OnGtk(615, 177, 17, 17),
    Label(kRec, "WxStaticText14", 1123, "High pass filter frequency (Hz)", 367, 208)
        .OnGtk(368, 208),
    Choice(kRec, "hpf_freq", 1244, "80|100|120|150|180|200", 2, 547, 205, 81, 21,
           "rec_highpass_freq")
        .CaptionedBy("WxStaticText14")
        .OnGtk(558, 205, 81, 21),
    Label(kRec, "WxStaticText17", 1439, "Stop recordings via double click", 367, 238)
        .OnGtk(368, 238),
    Check(kRec, "rec_stop_double", 1440, "", 613, 237, 18, 17, "rec_stop_double")
        .CaptionedBy("WxStaticText17")
        .OnGtk(615, 237, 18, 17),
};

constexpr std::string_view kEnc = "page_encoding";

constexpr Control kEncoding[] = {
    Label(kEnc, "WxStaticText23", 1137, "Record format", 110, 62),
    Choice(kEnc, "rec_format", 1143, "WAV|BWF|MP2", 0, 341, 59, 81, 21, "rec_file_format")
        .CaptionedBy("WxStaticText23"),
    Button(kEnc, "MetaDataBtn", 1446, "BWF Metadata", 443, 57, 98, 24).OnGtk(443, 56, 98, 28),
    Label(kEnc, "WxStaticText20", 1134, "Sample rate (Hz)", 110, 95),
    Choice(kEnc, "rec_sample_rate", 1140, "48000|44100|32000", 0, 342, 92, 80, 21,
           "rec_sample_rate")
        .CaptionedBy("WxStaticText20"),
    Label(kEnc, "Exclamation2", 1422, "!", 114, 125, kMark),
    Label(kEnc, "WxStaticText10", 1425, "Switch to other SR may have effect on limiter settings",
          129, 128),
    Label(kEnc, "WxStaticText21", 1135,
          "Data compression rate (kbit/s)\nPlease note that these values\nrefer to a mono file!",
          110, 159),
    Choice(kEnc, "rec_compr_rate", 1141, "---", kNoSelection, 342, 156, 80, 21, "rec_bitrate")
        .CaptionedBy("WxStaticText21"),
    Label(kEnc, "WxStaticText16", 1433, "Record as stereo file", 110, 228),
    Check(kEnc, "rec_file_stereo", 1434, "", 342, 224, 17, 24, "rec_file_stereo")
        .CaptionedBy("WxStaticText16"),
    Label(kEnc, "WxStaticText24", 1138, "Filename prefix", 110, 275),
    Text(kEnc, "rec_filename_prefix", 1144, "", 259, 272, 163, 19, "rec_filename_prefix")
        .CaptionedBy("WxStaticText24"),
    Label(kEnc, "WxStaticText15", 1430, "Timestamp suffix", 110, 305),
    Choice(kEnc, "rec_filename_date", 1442, "none|date only|time only|date and time", kNoSelection,
           259, 301, 163, 21, "combine_date_prefix")
        .CaptionedBy("WxStaticText15"),
};

constexpr std::string_view kPlay = "page_playback";

constexpr Control kPlayback[] = {
    Label(kPlay, "WxStaticText26", 1146, "Playback mode", 170, 91),
    Choice(kPlay, "play_continuous_playback", 1441, "continuous|single file", kNoSelection, 334, 87,
           136, 21, "play_continuous_playback")
        .CaptionedBy("WxStaticText26")
        .OnGtk(334, 87, 172, 21),
    Label(kPlay, "WxStaticText27", 1147, "Locator position after record ", 170, 121),
    Choice(kPlay, "play_start_at", 1245, "start of recorded file|resume previous position", 0, 334,
           117, 136, 21, "play_playback_start_position")
        .CaptionedBy("WxStaticText27")
        .OnGtk(334, 117, 172, 21),
    Label(kPlay, "WxStaticText29", 1149, "Output selection", 170, 181),
    Choice(kPlay, "play_output_selection", 1246, "Headphone|Lineout|Lineout (balanced)", 0, 334,
           177, 135, 21, "play_output_selection")
        .CaptionedBy("WxStaticText29")
        .OnGtk(334, 177, 172, 21),
    Label(kPlay, "WxStaticText30", 1150, "Headphone amp level", 170, 211),
    Text(kPlay, "play_headset_level_text", 1386, "0dB", 335, 208, 115, 20, "", kReadOnly)
        .OnGtk(335, 208, 128, 20),
    SpinButton(kPlay, "play_headset_level_spin", 1387, -68, 0, 0, 450, 207, 20, 21,
               "play_headset_level")
        .CaptionedBy("WxStaticText30")
        .OnGtk(463, 207, 43, 21),
    Label(kPlay, "WxStaticText31", 1151, "Lineout level", 170, 241),
    Text(kPlay, "play_lineout_level_text", 1389, "0dB", 335, 236, 115, 20, "", kReadOnly)
        .OnGtk(335, 236, 128, 20),
    SpinButton(kPlay, "play_lineout_level_spin", 1388, -68, 0, 0, 450, 235, 20, 21,
               "play_lineout_level")
        .CaptionedBy("WxStaticText31")
        .OnGtk(463, 235, 43, 21),
};

constexpr std::string_view kMess = "messaging_inner_panel";

constexpr Control kMessaging[] = {
    Check(kMess, "messaging_enabled", 1265, "Enable messaging", 228, 7, 172, 26, "mess_enabled",
          kTextLeft | kHeading)
        .OnGtk(206, 7, 196, 26),
    Label(kMess, "WxStaticText36", 1163, "Message on low power", 169, 72),
    Check(kMess, "mess_empty_battery", 1175, "", 419, 71, 17, 17, "mess2_empty_battery")
        .CaptionedBy("WxStaticText36")
        .OnGtk(426, 71, 17, 17),
    Label(kMess, "WxStaticText38", 1165, "Message on full memory", 169, 103),
    Check(kMess, "mess_full_memory", 1176, "", 419, 102, 17, 17, "mess2_full_memory")
        .CaptionedBy("WxStaticText38")
        .OnGtk(426, 102, 17, 17),
    Label(kMess, "WxStaticText37", 1166, "Message file number via stop in on-mode", 169, 135),
    Check(kMess, "mess_file_nr_on_mode", 1177, "", 419, 134, 17, 17, "mess2_file_nr_on_mode")
        .CaptionedBy("WxStaticText37")
        .OnGtk(426, 134, 17, 17),
    Label(kMess, "WxStaticText39", 1167, "Message file number in playback mode", 169, 168),
    Check(kMess, "mess_file_nr_play_mode", 1178, "mess_file_nr_play_mode", 419, 167, 16, 17,
          "mess2_file_nr_play_mode", kTextCut)
        .CaptionedBy("WxStaticText39")
        .OnGtk(426, 167, 16, 17),
    Label(kMess, "WxStaticText40", 1168, "Level for Messaging", 169, 205),
    Text(kMess, "mess_level_group2_text", 1394, "0dB", 351, 203, 64, 20, "", kReadOnly),
    SpinButton(kMess, "mess_level_group2_spin", 1395, -68, 0, 0, 415, 202, 20, 21, "mess2_level")
        .CaptionedBy("WxStaticText40")
        .OnGtk(415, 202, 43, 21),
};

constexpr std::string_view kPow = "page_power";

constexpr Control kPower[] = {
    Label(kPow, "WxStaticText5", 1272, "Preferred power source", 236, 95),
    Choice(kPow, "pm_prefered_power_source", 1274, "battery|internal", kNoSelection, 375, 92, 80,
           21, "pm_prefered_power_source")
        .CaptionedBy("WxStaticText5"),
    Label(kPow, "WxStaticText2", 1452, "Enable auto shutdown", 238, 163),
    Check(kPow, "pm_shutdown_enable_checkbox", 1449, "pm_shutdown_enable_checkbox", 375, 163, 16,
          18, "pm_shutdown_enable", kTextCut)
        .CaptionedBy("WxStaticText2"),
    Label(kPow, "WxStaticText18", 1453, "Auto shutdown device after inactivity of (HH:MM)", 108,
          190)
        .OnGtk(100, 190),
    Text(kPow, "pm_shutdown_time_edit", 1448, "", 375, 188, 59, 20, "", kReadOnly),
    SpinButton(kPow, "pm_shutdown_time_spin", 1451, 10, 179, 10, 435, 188, 20, 21,
               "pm_shutdown_time")
        .CaptionedBy("WxStaticText18")
        .OnGtk(435, 188, 43, 21),
    Label(kPow, "WxStaticText19", 1454, "Ignore VAR mode at auto shutdown", 176, 217),
    Check(kPow, "pm_shutdown_onvar_checkbox", 1450, "pm_shutdown_enable_checkbox", 374, 218, 16, 18,
          "pm_shutdown_onvar", kTextCut)
        .CaptionedBy("WxStaticText19"),
    Label(kPow, "Exclamation3", 1457, "!", 179, 238, kMark),
    Label(kPow, "WxStaticText22", 1456, "Normally in VAR mode auto shutdown will not occur", 194,
          241),
};

constexpr std::string_view kClk = "page_clock";

constexpr Control kClock[] = {
    Label(kClk, "DeviceTimeString", 1284, "Device Time", 159, 106),
    Label(kClk, "WxStaticText72", 1235, "Autom. sync with PC clock when SW connected to mic", 158,
          136),
    Check(kClk, "rtc_autosync_enable", 1238, "", 441, 135, 17, 17, "rtc_autosync")
        .CaptionedBy("WxStaticText72")
        .OnGtk(460, 135, 17, 17),
    {.key = "DatePicker",
     .name = "DatePicker",
     .kind = Kind::DatePicker,
     .id = 1249,
     .x = 158,
     .y = 170,
     .width = 91,
     .height = 21,
     .parent = kClk},
    Spin(kClk, "spin_rtc_hour", 1250, 0, 23, "0", 0, 254, 170, 46, 22, "", kWrap)
        .OnGtk(254, 170, 78, 22),
    Spin(kClk, "spin_rtc_minute", 1251, 0, 59, "0", 0, 304, 170, 46, 22, "")
        .OnGtk(336, 170, 78, 22),
    Button(kClk, "rtc_sync_now", 1237, "Sync now", 355, 170, 99, 23).OnGtk(418, 167, 99, 28),
    Check(kClk, "rtc_use_realtime", 1253, "Use host time", 359, 195, 97, 17, "", 0, 1)
        .OnGtk(422, 200, 97, 17),
};

constexpr std::string_view kAlv = "page_alv";

constexpr Control kAlvPage[] = {
    Label(kAlv, "WxStaticText28", 1326, "Hard end threshold", 15, 35, kHidden),
    Slider("he_th_slider", 1325, 5, 49, 185, "he_th", kHidden)
        .CaptionedBy("WxStaticText28")
        .OnGtk(5, 49, 165, 25),
    ValueField("he_th_label", 1340, 196, 52, 80, kHidden).OnGtk(174, 52, 64, 19),
    Label(kAlv, "WxStaticText53", 1330, "Hard end damping level", 286, 35, kHidden).OnGtk(246, 35),
    SpinButton(kAlv, "he_pga_down_spinbutton", 1328, -36, 0, 0, 286, 49, 15, 25, "he_pga_down",
               kHidden)
        .CaptionedBy("WxStaticText53")
        .OnGtk(246, 49, 43, 25),
    ValueField("he_pga_down_label", 1339, 305, 52, 95, kHidden).OnGtk(291, 52, 72, 19),
    Label(kAlv, "WxStaticText54", 1333, "Hard end recovery time", 411, 35, kHidden).OnGtk(384, 35),
    SpinButton(kAlv, "he_step_timeout_spinbutton", 1331, 0, 20, 0, 411, 49, 15, 25,
               "he_step_timeout", kHidden)
        .CaptionedBy("WxStaticText54")
        .OnGtk(384, 49, 43, 25),
    ValueField("he_step_timeout_label", 1338, 429, 52, 95, kHidden).OnGtk(429, 52, 72, 19),
    Label(kAlv, "WxStaticText55", 1336, "Over samples", 534, 35, kHidden).OnGtk(520, 35),
    SpinButton(kAlv, "he_max_overs_spinbutton", 1334, 1, 10, 1, 534, 49, 15, 25, "he_max_overs",
               kHidden)
        .CaptionedBy("WxStaticText55")
        .OnGtk(520, 49, 43, 25),
    ValueField("he_max_overs_label", 1337, 553, 52, 80, kHidden).OnGtk(565, 52, 72, 19),
    Check(kAlv, "roi_enable_checkbox", 1342, "Autoleveling ON", 8, 9, 174, 17, "roi_enable"),
    Label(kAlv, "WxStaticText57", 1347, "Upper target level", 15, 85),
    Slider("roi_up_th_slider", 1341, 5, 99, 185, "roi_up_th")
        .CaptionedBy("WxStaticText57")
        .OnGtk(5, 99, 165, 25),
    ValueField("roi_up_th_label", 1343, 196, 102, 80).OnGtk(174, 102, 64, 19),
    Label(kAlv, "WxStaticText56", 1345, "Damping level", 286, 85, kHidden).OnGtk(246, 85),
    SpinButton(kAlv, "roi_pga_down_spinbutton", 1344, -6, 0, 0, 286, 99, 15, 25, "roi_pga_down",
               kHidden)
        .CaptionedBy("WxStaticText56")
        .OnGtk(246, 99, 43, 25),
    ValueField("roi_pga_down_label", 1346, 305, 102, 95, kHidden).OnGtk(291, 102, 72, 19),
    Label(kAlv, "WxStaticText58", 1349, "Damping hold time", 411, 85, kHidden).OnGtk(384, 85),
    SpinButton(kAlv, "roi_pga_down_hold_spinbutton", 1348, 0, 20, 0, 411, 99, 15, 25,
               "roi_pga_down_hold", kHidden)
        .CaptionedBy("WxStaticText58")
        .OnGtk(384, 99, 43, 25),
    ValueField("roi_pga_down_hold_label", 1350, 429, 102, 95, kHidden).OnGtk(429, 102, 72, 19),
    Label(kAlv, "WxStaticText59", 1352, "Ref raise time", 534, 85, kHidden).OnGtk(520, 85),
    SpinButton(kAlv, "roi_att_spinbutton", 1351, 0, 10, 0, 534, 99, 15, 25, "roi_att", kHidden)
        .CaptionedBy("WxStaticText59")
        .OnGtk(520, 99, 43, 25),
    ValueField("roi_att_label", 1353, 553, 102, 80, kHidden).OnGtk(565, 102, 72, 19),
    Label(kAlv, "WxStaticText60", 1355, "Lower target level", 15, 135),
    Slider("roi_low_th_slider", 1354, 5, 149, 185, "roi_low_th")
        .CaptionedBy("WxStaticText60")
        .OnGtk(5, 149, 165, 25),
    ValueField("roi_low_th_label", 1356, 196, 152, 80).OnGtk(174, 152, 64, 19),
    Label(kAlv, "WxStaticText61", 1358, "Gain level", 286, 135, kHidden).OnGtk(246, 135),
    SpinButton(kAlv, "roi_pga_up_spinbutton", 1357, 0, 6, 0, 286, 149, 15, 25, "roi_pga_up",
               kHidden)
        .CaptionedBy("WxStaticText61")
        .OnGtk(246, 149, 43, 25),
    ValueField("roi_pga_up_label", 1359, 305, 152, 95, kHidden).OnGtk(291, 152, 72, 19),
    Label(kAlv, "WxStaticText62", 1361, "Gain hold time", 412, 135, kHidden).OnGtk(384, 135),
    SpinButton(kAlv, "roi_pga_up_hold_spinbutton", 1360, 0, 20, 0, 411, 149, 15, 25,
               "roi_pga_up_hold", kHidden)
        .CaptionedBy("WxStaticText62")
        .OnGtk(384, 149, 43, 25),
    ValueField("roi_pga_up_hold_label", 1362, 429, 152, 95, kHidden).OnGtk(429, 152, 72, 19),
    Label(kAlv, "WxStaticText63", 1365, "Ref fall time", 534, 135, kHidden).OnGtk(520, 135),
    SpinButton(kAlv, "roi_rel_spinbutton", 1363, 0, 10, 0, 534, 149, 15, 25, "roi_rel", kHidden)
        .CaptionedBy("WxStaticText63")
        .OnGtk(520, 149, 43, 25),
    ValueField("roi_rel_label", 1364, 553, 152, 80, kHidden).OnGtk(565, 152, 72, 19),
    Label(kAlv, "WxStaticText64", 1367, "Noise floor threshold", 15, 185),
    Slider("roi_no_th_slider", 1366, 5, 199, 186, "roi_no_th")
        .CaptionedBy("WxStaticText64")
        .OnGtk(5, 199, 166, 25),
    ValueField("roi_no_th_label", 1368, 196, 199, 80).OnGtk(174, 199, 64, 19),
    Check(kAlv, "li_enable_checkbox", 1370, "Limiter ON", 8, 253, 94, 17, "li_enable"),
    Label(kAlv, "WxStaticText65", 1372, "Threshold", 15, 285),
    Slider("li_th_slider", 1371, 5, 299, 185, "li_th")
        .CaptionedBy("WxStaticText65")
        .OnGtk(5, 299, 165, 25),
    ValueField("li_th_label", 1373, 196, 302, 80).OnGtk(174, 302, 64, 19),
    Label(kAlv, "WxStaticText74", 1375, "Attack", 286, 285).OnGtk(246, 285),
    SpinButton(kAlv, "li_att_spinbutton", 1374, 0, 16, 0, 286, 299, 15, 25, "li_att")
        .CaptionedBy("WxStaticText74")
        .OnGtk(246, 299, 43, 25),
    ValueField("li_att_label", 1376, 305, 302, 95).OnGtk(291, 302, 72, 19),
    Label(kAlv, "WxStaticText75", 1379, "Release", 411, 285).OnGtk(384, 285),
    SpinButton(kAlv, "li_rel_spinbutton", 1377, 0, 16, 0, 411, 299, 15, 25, "li_rel")
        .CaptionedBy("WxStaticText75")
        .OnGtk(384, 299, 43, 25),
    ValueField("li_rel_label", 1378, 429, 302, 98).OnGtk(429, 302, 72, 19),
    Label(kAlv, "WxStaticText76", 1382, "Look ahead", 534, 285).OnGtk(520, 285),
    SpinButton(kAlv, "li_adv_spinbutton", 1380, 0, 16, 0, 534, 299, 15, 25, "li_adv")
        .CaptionedBy("WxStaticText76")
        .OnGtk(520, 299, 43, 25),
    ValueField("li_adv_label", 1381, 553, 302, 80).OnGtk(565, 302, 72, 19),
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
#ifdef __WXGTK__
    if (control.onGtk)
        return control.gtk;
#endif
    return {control.x, control.y, control.width, control.height};
}

const Control* CaptionOf(std::string_view control) {
    const Control* captioned = Find(control);
    return captioned && !captioned->caption.empty() ? Find(captioned->caption) : nullptr;
}

const Control* CaptionedBy(std::string_view label) {
    for (const Table& table : kTables) {
        for (const Control& c : table.controls) {
            if (c.caption == label)
                return &c;
        }
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
