#include "app/local_config.h"

#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include <wx/file.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

#include "settings/text.h"

namespace vyr {
namespace {

constexpr const char* kIndexKey = "/Global/LastCOMPort";
constexpr const char* kPathKey = "/Global/LastPortPath";
constexpr const char* kVerifyKey = "/Global/VerifySends";

// The user's configuration directory as the XDG rules give it. The file layout is a setting
// of the shared wxStandardPaths object, so it is put back afterwards.
wxString UserConfigDir() {
    wxStandardPaths& paths = wxStandardPaths::Get();
    const wxStandardPaths::FileLayout previous = paths.GetFileLayout();
    paths.SetFileLayout(wxStandardPaths::FileLayout_XDG);
    wxString dir = paths.GetUserConfigDir();
    paths.SetFileLayout(previous);
    return dir;
}

// Creates `dir` when it is missing, and the folders above it that are missing too (a new
// account's configuration folder, $XDG_CONFIG_HOME named but not yet made). False when it is
// not a directory afterwards.
bool EnsureDirectory(const wxString& dir) {
    if (wxFileName::DirExists(dir))
        return true;
    wxLogNull quiet;  // a failure only means the port is not remembered
    return wxFileName::Mkdir(dir, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL) &&
           wxFileName::DirExists(dir);
}

// ---- damaged files ----
//
// wxFileConfig stops with an assertion (an error dialog for the user) on some malformed lines:
// an entry without a name, a group header given twice. So the file is first checked against
// the plain shapes of a configuration file; when it holds anything else it is rewritten with
// only the sound groups and entries, each once.

constexpr wxFileOffset kLargestFile = 64 * 1024;  // the real file has two lines

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool HasControlCharacter(std::string_view text) {
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f)
            return true;
    }
    return false;
}

bool PlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (c == '[' || c == ']' || c == '=' || c == '/' || c == '\\' || c == '"' || c == ';' ||
            c == '#')
            return false;
    }
    return !HasControlCharacter(name);
}

// "a/b": each part a plain name.
bool PlainGroupPath(std::string_view path) {
    for (;;) {
        const std::size_t slash = path.find('/');
        if (!PlainName(path.substr(0, slash)))
            return false;
        if (slash == std::string_view::npos)
            return true;
        path.remove_prefix(slash + 1);
    }
}

struct Group {
    std::string header;  // empty for the entries before the first group
    std::vector<std::string> lines;
    std::set<std::string> keys;
};

// The file's text reduced to sound lines. `damaged` tells whether anything was left out.
std::string SoundContent(const std::string& text, bool& damaged) {
    std::vector<Group> groups(1);
    Group* current = &groups.front();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const bool closed = line.size() >= 2 && line.back() == ']';
            if (!closed || !PlainGroupPath(line.substr(1, line.size() - 2))) {
                damaged = true;
                current = nullptr;  // its entries belong to no sound group
                continue;
            }
            const std::string header(line);
            current = nullptr;
            for (Group& g : groups) {
                if (g.header == header)
                    current = &g;
            }
            if (current) {
                damaged = true;  // given twice: one group it is
            } else {
                groups.push_back(Group{header, {}, {}});
                current = &groups.back();
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key = Trim(line.substr(0, equals));
        if (!current || equals == std::string_view::npos || !PlainName(key) ||
            HasControlCharacter(line) || !current->keys.insert(std::string(key)).second) {
            damaged = true;
            continue;
        }
        current->lines.emplace_back(line);
    }
    std::string sound;
    for (const Group& g : groups) {
        if (!g.header.empty())
            sound += g.header + "\n";
        for (const std::string& l : g.lines)
            sound += l + "\n";
    }
    return sound;
}

// Leaves `file` in a shape wxFileConfig reads without complaint.
void RepairFile(const wxString& file) {
    if (!wxFileName::FileExists(file))
        return;
    wxFile in(file);
    const wxFileOffset length = in.IsOpened() ? in.Length() : -1;
    bool damaged = length < 0 || length > kLargestFile;
    std::string text;
    if (!damaged) {
        std::vector<char> bytes(static_cast<std::size_t>(length));
        const auto got = in.Read(bytes.data(), bytes.size());
        damaged = got < 0 || static_cast<std::size_t>(got) != bytes.size();
        const wxString decoded(bytes.data(), wxConvAuto(), bytes.size());
        text = decoded.utf8_string();
        damaged = damaged || (text.empty() && !bytes.empty());
    }
    in.Close();
    const std::string sound = SoundContent(text, damaged);
    if (!damaged)
        return;
    wxTempFile out(file);
    if (out.IsOpened() && out.Write(sound.data(), sound.size()))
        out.Commit();
}

}  // namespace

LocalConfig::LocalConfig(const std::string& configRoot) {
    const wxString root = configRoot.empty() ? UserConfigDir() : wxString::FromUTF8(configRoot);
    const wxString dir = wxFileName(root, "Corvanta").GetFullPath();
    const wxString file = wxFileName(dir, "Vyr.cfg").GetFullPath();
    filePath_ = file.utf8_string();
    persistent_ = EnsureDirectory(dir);

    // A damaged file reads as far as it makes sense; what it lacks takes the defaults. The
    // toolkit's complaints about it would only end up in message boxes at start.
    wxLogNull quiet;
    if (persistent_) {
        RepairFile(file);
        config_ = std::make_unique<wxFileConfig>(wxString(), wxString(), file, wxString(),
                                                 wxCONFIG_USE_LOCAL_FILE, wxConvAuto());
    } else {
        // No local file at all: the values stay in memory and nothing is ever written.
        config_ = std::make_unique<wxFileConfig>(wxString(), wxString(), wxString(), wxString(), 0,
                                                 wxConvAuto());
    }
    // Device paths are taken literally; "$X" in them is not an environment variable.
    config_->SetExpandEnvVars(false);
    wxConfigBase::Set(config_.get());
}

LocalConfig::~LocalConfig() {
    if (wxConfigBase::Get(false) == config_.get())
        wxConfigBase::Set(nullptr);
    wxLogNull quiet;  // a file that cannot be written only loses the remembered port
    config_.reset();
}

bool LocalConfig::RemembersPortIndex() const {
    wxString text;
    return config_ && config_->Read(kIndexKey, &text) &&
           ParseWholeInteger(TrimTrailingBlanks(text.utf8_string())).has_value();
}

int LocalConfig::LastPortIndex() const {
    if (!config_)
        return 0;
    wxString text;
    if (!config_->Read(kIndexKey, &text))
        return 0;
    const std::string value = text.utf8_string();
    return ParseWholeInteger(TrimTrailingBlanks(value)).value_or(0);
}

std::string LocalConfig::LastPortPath() const {
    if (!config_)
        return {};
    wxString text;
    if (!config_->Read(kPathKey, &text))
        return {};
    return text.utf8_string();
}

bool LocalConfig::RememberPort(int index, const std::string& path) {
    if (!config_)
        return false;
    const bool indexWritten = config_->Write(kIndexKey, static_cast<long>(index));
    const bool pathWritten = config_->Write(kPathKey, wxString::FromUTF8(path));
    return indexWritten && pathWritten;
}

bool LocalConfig::VerifySends() const {
    wxString text;
    return config_ && config_->Read(kVerifyKey, &text) && text.Trim() == "1";
}

void LocalConfig::RememberVerifySends(bool on) {
    if (config_)
        config_->Write(kVerifyKey, on ? 1L : 0L);
}

void LocalConfig::Flush() {
    if (!config_ || !persistent_)
        return;
    wxLogNull quiet;
    config_->Flush();
}

}  // namespace vyr
