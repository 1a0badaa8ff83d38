// The program's own small configuration file: which serial port was used last.
//
// The file is Corvanta/Vyr.cfg in the user's configuration directory ($XDG_CONFIG_HOME, else
// ~/.config; on Windows the roaming application-data folder), in the INI-like format of
// wxFileConfig: group "Global" with LastCOMPort (index of the port in the port choice; on
// Windows the COM number less one), LastPortPath (its stable path under /dev/serial/by-id
// where it has one, else its device path or COM name) and VerifySends (1 when sends read their
// values back).
#pragma once

#include <memory>
#include <string>

class wxFileConfig;

namespace vyr {

class LocalConfig {
  public:
    // Opens the file in `<configRoot>/Corvanta`, creating the folders that are missing.
    // An empty `configRoot` means the user's configuration directory. When the directory
    // cannot be created the values are kept in memory only. The configuration is the
    // process-wide one (wxConfigBase::Get) while this object lives; destroy it before the
    // application exits (the application deletes whatever configuration is still installed).
    explicit LocalConfig(const std::string& configRoot = {});
    // Detaches the configuration and writes the file.
    ~LocalConfig();
    LocalConfig(const LocalConfig&) = delete;
    LocalConfig& operator=(const LocalConfig&) = delete;

    // True when the file holds a port index (a number) from an earlier connection.
    bool RemembersPortIndex() const;
    // Index of the last port in the port choice; 0 when absent or not a number. Any other
    // number is returned as it is (ChoosePort decides whether it fits the list).
    int LastPortIndex() const;
    // Path of the last port (stable or device path); empty when absent.
    std::string LastPortPath() const;
    // Keeps both values; false when there is no configuration.
    bool RememberPort(int index, const std::string& path);
    // Whether every send reads the values back ("/Global/VerifySends"); off when absent.
    bool VerifySends() const;
    void RememberVerifySends(bool on);
    // Writes the file now (nothing when the values live in memory only).
    void Flush();

    // Full path of the file, also when it cannot be written.
    const std::string& FilePath() const { return filePath_; }
    // True when the values are kept in the file, false when in memory only.
    bool Persistent() const { return persistent_; }

  private:
    std::unique_ptr<wxFileConfig> config_;
    std::string filePath_;
    bool persistent_ = false;
};

}  // namespace vyr
