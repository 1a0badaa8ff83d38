#!/usr/bin/env python3
"""Writes the seed inputs of corpus/<target>/ (run it again after changing them here).

The link targets read chunks as fuzz_port.h describes them: a 2-byte big-endian length and
that many bytes; length 0 is a read that times out, 0xFFFF a device that is gone.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE / "corpus"
FIXTURES = HERE.parent / "fixtures"

REPLY, REFUSED, LOOPBACK, REPEAT, MESSAGE, RUN_COMMAND, READ_LINES = 2, 3, 4, 5, 6, 17, 19


def frame(command, name, text=None, integer=None):
    """One 444-byte wire frame; unused bytes are filled with 0xAA (they carry no meaning)."""
    name = name.encode("latin-1") if isinstance(name, str) else name
    name_field = (name + b"\0")[:256].ljust(256, b"\xaa")
    if integer is not None:
        kind, payload = 0, struct.pack(">i", integer)
    else:
        kind = 1
        payload = (text or "").encode("latin-1") if isinstance(text, (str, type(None))) else text
        payload = payload + b"\0"
    payload = payload[:180].ljust(180, b"\xaa")
    wire = struct.pack(">I", command) + name_field + struct.pack(">I", kind) + payload
    assert len(wire) == 444
    return wire


def chunk(data):
    return struct.pack(">H", len(data)) + data


SILENCE = struct.pack(">H", 0)
GONE = struct.pack(">H", 0xFFFF)


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def checksum(text):
    total, counter = 0, 0
    for c in text.encode("latin-1"):
        if 0x20 <= c <= 0x7E:
            total = (total + (counter ^ c) * c) & 0xFFFFFFFF
            counter = (counter + 1) & 0xFF
    return "%x" % total


def sealed(body):
    return ("security_token=%s\n" % checksum(body) + body).encode("latin-1")


def frames():
    write("fuzz_frame", "text_reply", frame(REPLY, "/tmp/hw_type", "1\n"))
    write("fuzz_frame", "integer_loopback", frame(LOOPBACK, "LOOPBACKTEST", integer=0x1234))
    write("fuzz_frame", "negative_integer", frame(REPLY, "/chroma/users/admin", integer=-2))
    write("fuzz_frame", "full_fields", struct.pack(">I", 19) + b"n" * 256 + struct.pack(">I", 1)
          + b"t" * 180)
    write("fuzz_frame", "short", frame(REFUSED, "/chroma/serialnumber")[:300])


# Operations of reply_fuzz.cpp, and the index of the names it waits for.
AWAIT, AWAIT_DATA, READ_STRICT, READ_LOOSE, NUMBER_WHOLE, NUMBER_LEADING, SYNC, LOGIN, \
    WRITE, RUN = range(10)
HW_TYPE, CURRENT_PRESET, MIC_LABEL, TEMPTIME, USER, LOOPBACK_NAME, LONG_NAME = range(7)


def replies():
    def seed(name, op, which, attempts, *chunks):
        write("fuzz_reply", name, bytes([op, which, attempts - 1]) + b"".join(chunks))

    seed("await_stale_then_match", AWAIT, HW_TYPE, 10,
         chunk(frame(REPLY, "/tmp/datestring", "2024/01/01-00:00:00\n")),
         chunk(frame(REPLY, "/tmp/hw_typ", "0")),
         chunk(frame(REPLY, "/tmp/hw_type", "1\n")))
    seed("await_data_refused_then_reply", AWAIT_DATA, HW_TYPE, 10,
         chunk(frame(REFUSED, "/tmp/hw_type")), SILENCE,
         chunk(frame(REPLY, "/tmp/hw_type", "0\n")))
    seed("read_strict_preset", READ_STRICT, CURRENT_PRESET, 10,
         chunk(frame(REFUSED, "/chroma/settings/current_preset")),
         chunk(frame(REPLY, "/chroma/settings/current_preset", "3\n")))
    seed("read_loose_short_read", READ_LOOSE, MIC_LABEL, 10,
         chunk(frame(REPLY, "/chroma/settings/3/mic_label", "x")[:300]), SILENCE,
         chunk(frame(REPLY, "/chroma/settings/3/mic_label", "Station_ID")))
    seed("read_two_frames_in_one_chunk", READ_LOOSE, MIC_LABEL, 10,
         chunk(frame(REPLY, "/chroma/settings/2/mic_label", "old")
               + frame(REPLY, "/chroma/settings/3/mic_label", "Stage \xe4")))
    seed("read_frames_split_across_reads", READ_STRICT, HW_TYPE, 10,
         chunk(frame(REPLY, "/tmp/hw_type", "1")[100:]),
         chunk(frame(REPLY, "/tmp/hw_type", "1") + frame(REPLY, "/tmp/hw_type", "2")[:50]))
    seed("read_device_gone", READ_STRICT, HW_TYPE, 10, SILENCE, GONE)
    seed("number_whole", NUMBER_WHOLE, CURRENT_PRESET, 10,
         chunk(frame(REPLY, "/chroma/settings/current_preset", "  -12 \n")))
    seed("number_leading", NUMBER_LEADING, HW_TYPE, 10,
         chunk(frame(REPLY, "/tmp/hw_type", "1x")))
    seed("number_overflow", NUMBER_WHOLE, HW_TYPE, 10,
         chunk(frame(REPLY, "/tmp/hw_type", "99999999999999999999")))
    seed("sync_repeat_wrong_right", SYNC, HW_TYPE, 10,
         chunk(frame(REPEAT, "LOOPBACKTEST")),
         chunk(frame(LOOPBACK, "LOOPBACKTEST", integer=17)),
         chunk(frame(REPLY, "LOOPBACKTEST", "?")),
         chunk(frame(LOOPBACK, "LOOPBACKTEST", integer=0x1234)),
         chunk(frame(MESSAGE, "LOOPBACK_FINISHED", "ok")))
    seed("sync_silent", SYNC, HW_TYPE, 10, SILENCE * 10)
    seed("login_level", LOGIN, USER, 2,
         chunk(frame(REPLY, "/chroma/users/admin", integer=4)))
    seed("login_text_level", LOGIN, USER, 2,
         chunk(frame(REPLY, "/chroma/users/admin", "4")))
    seed("write_answered", WRITE, MIC_LABEL, 10,
         chunk(frame(REPLY, "/chroma/settings/3/mic_label", "")))
    seed("run_command_strict", RUN, TEMPTIME, 0x80 + 10,
         chunk(frame(RUN_COMMAND, "SYSTEMCALL_TEMPTIME", "")),
         chunk(frame(REPLY, "SYSTEMCALL_TEMPTIME", "")))
    seed("long_name", AWAIT_DATA, LONG_NAME, 10,
         chunk(frame(REPLY, "n" * 255, "")), chunk(struct.pack(">I", 2) + b"n" * 256
                                                   + struct.pack(">I", 1) + b"\0" * 180))


NOTES, RESULTS, USERLIST = range(3)


def lines():
    def seed(name, which, *chunks):
        write("fuzz_lines", name, bytes([which]) + b"".join(chunks))

    notes = "/chroma/service_notes"
    seed("notes_three_lines", NOTES,
         chunk(frame(READ_LINES, notes, "2024/03/01-10:00| fitted new battery")),
         chunk(frame(READ_LINES, notes, "2024/03/02-11:30| \xe4 checked")),
         chunk(frame(READ_LINES, notes, "")),
         chunk(frame(REPLY, notes, "")))
    seed("notes_empty_file", NOTES, chunk(frame(REPLY, notes, "")))
    seed("results_stale_and_silence", RESULTS,
         chunk(frame(REPLY, "/tmp/datestring", "2024/01/01-00:00:00\n")),
         chunk(frame(READ_LINES, "/chroma/test_results", "mic: pass")),
         SILENCE, SILENCE,
         chunk(frame(READ_LINES, "/chroma/test_results", "x" * 180)))
    users = "/tmp/userlist"
    seed("users_run_together", USERLIST,
         chunk(frame(READ_LINES, users, "admin") + frame(READ_LINES, users, "superadmin")
               + frame(READ_LINES, users, "service")[:200]),
         chunk(frame(READ_LINES, users, "distributor")), GONE)


def user_lists():
    def seed(name, which, *parts):
        write("fuzz_user_list", name, bytes([which]) + b"".join(parts))

    seed("line_with_line_end", 0, b"J\xf6rg \r\n")
    seed("line_reserved", 0, b"controller")
    users = "/tmp/userlist"
    seed("listing", 1,
         chunk(frame(REPLY, "SYSTEMCALL", "")),
         chunk(frame(READ_LINES, users, "admin")),
         chunk(frame(READ_LINES, users, "service")),
         chunk(frame(READ_LINES, users, "b\xe4r  ")),
         chunk(frame(REPLY, users, "")))
    seed("listing_refused", 1,
         chunk(frame(REPLY, "SYSTEMCALL", "")),
         chunk(frame(REFUSED, users, "No such file or directory")))
    seed("listing_line_unanswered", 1,
         chunk(frame(REFUSED, "SYSTEMCALL", "")), SILENCE,
         chunk(frame(READ_LINES, users, "ghost")))
    seed("listing_broken_off", 1,
         chunk(frame(REPLY, "SYSTEMCALL", "")),
         chunk(frame(READ_LINES, users, "admin")), GONE)


def settings_files():
    defaults = (FIXTURES / "defaults.Vyr").read_text("latin-1")
    body_lines = defaults.split("\n")[1:]
    preset0 = [line for line in body_lines if line.startswith("0:")]
    short_body = "\n".join(preset0[:24]) + "\n"
    write("fuzz_settings_file", "short_valid", sealed(short_body))
    write("fuzz_settings_file", "preset0_valid", sealed("\n".join(preset0) + "\n"))
    write("fuzz_settings_file", "crlf_valid", sealed(short_body.replace("\n", "\r\n")))
    edited = ("0:mic_label=Stage &a&o&u&z &s&d&c &&1\n"
              "005:rec_mic_level=25\n"
              "x:rec_line_level=99\n"
              "10:rec_mic_level=3\n"
              "3:rec_file_format=MP2\n3:rec_bitrate=---\n"
              "4:li_adv=2000\n"
              "1:preset_name=" + "p" * 70 + "\n"
              "2:preset_name=Studio&\n"
              "5:preset_name=R&&n&&a&&&&\n"
              "6:preset_name=" + "p" * 58 + " x\n"
              "2:unknown_key=1\n"
              "\n")
    write("fuzz_settings_file", "edited_values", sealed(edited))
    write("fuzz_settings_file", "corrupted_token", sealed(short_body).replace(b"security_token=",
                                                                               b"security_token=1"))
    write("fuzz_settings_file", "partial", (FIXTURES / "partial.Vyr").read_bytes())
    write("fuzz_settings_file", "no_token", short_body.encode("latin-1"))


def settings_lines():
    for name, line in [
        ("value", b"0:mic_label=Station_ID"),
        ("token", b"security_token=e2ed98e"),
        ("escapes", b"1:preset_name=Studio &A&&&o&n&"),
        ("three_digit_preset", b"005:rec_mic_level=25\r\n"),
        ("letter_preset", b"x:key=\t"),
        ("preset_too_large", b"10:a=b"),
        ("latin1", b"2:mic_label=\xe4\xf6\xfc\xdf\xa7\xb0\xb4 \x01\x7f"),
    ]:
        write("fuzz_settings_line", name, line)


def texts():
    for name, data in [
        ("label", b"Station_ID"),
        ("int_min", b"-2147483648"),
        ("blank_sign", b" \t+42"),
        ("trailing", b"12abc"),
        ("utf8", "Gr\u00fc\u00dfe \u20ac \U0001F600".encode("utf-8")),
        ("latin1", b"\xe4\xf6\xfc\xc4\xd6\xdc\xdf"),
        ("huge", b"-99999999999999999999999"),
        ("wide_chars", struct.pack(">IIII", 0xE4, 0x20AC, 0x41, 0x10FFFF)),
    ]:
        write("fuzz_text", name, data)


def devices():
    def answers(*pairs):
        return b"".join(chunk(frame(REPLY, name, text)) for name, text in pairs)

    identity = answers(("/chroma/hw_version", "B\n"), ("/chroma/serialnumber", "VYR-0001\n"),
                       ("/chroma/fw_version", "1.2"), ("/chroma/firmware_version", "2.0\n"),
                       ("/tmp/hw_type", "1\n"), ("/tmp/accu_cal", "1000"),
                       ("/tmp/batt_cal", "900"), ("/tmp/caps_cal", "12"),
                       ("/tmp/accu_voltage", "2607"), ("/tmp/power_accu", "87"),
                       ("/tmp/batt_voltage", "0"), ("/tmp/power_batt", "0"),
                       ("/tmp/caps_voltage", "16"), ("/chroma/mics/current_mic", "b\n"))
    write("fuzz_device", "information", b"\x00\x00" + identity)
    write("fuzz_device", "information_gone", b"\x00\x00" + identity[:3000] + GONE)
    write("fuzz_device", "hardware_class", b"\x01\x00" + answers(("/tmp/hw_type", "1x")))
    defaults = (FIXTURES / "defaults.Vyr").read_text("latin-1").split("\n")[1:]
    preset3 = [line.split(":", 1)[1] for line in defaults if line.startswith("3:")]
    values = [tuple(entry.split("=", 1)) for entry in preset3]
    load = answers(*[("/chroma/settings/3/" + key, value) for key, value in values])
    write("fuzz_device", "load_preset", b"\x02\x03" + load +
          answers(("/chroma/settings/current_preset", "3\n")))
    write("fuzz_device", "load_silent", b"\x02\x03" + load[:20 * 446] + SILENCE * 60)


def clock_texts():
    for name, data in [
        ("device", b"2024/03/07-09:05:42"),
        ("iso", b"2024-02-29T23:59:59"),
        ("not_leap", b"2023-02-29T00:00:00"),
    ]:
        write("fuzz_clock", name, data)


if __name__ == "__main__":
    frames()
    replies()
    lines()
    user_lists()
    settings_files()
    settings_lines()
    texts()
    devices()
    clock_texts()
