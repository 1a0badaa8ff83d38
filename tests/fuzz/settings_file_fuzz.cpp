// The settings-file reader, LoadSettingsStore, over any file content.
//
// Each input is loaded twice: as it is (the token line and its checksum decide), and with
// its first line replaced by a token that matches the rest, so that the values themselves
// reach validation on every run. A load either refuses and leaves the store and its guard
// log untouched, or succeeds; what it stored saves to a file that loads back to the same
// values without any report.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_port.h"
#include "settings/settings_file.h"
#include "settings/store.h"
#include "settings/text.h"

using namespace vyr;

namespace {

// What a store holds before each load: in every slot a text no load can store (it holds a
// character outside the repertoire), every slot disabled, and a guard log under a context
// of its own. A refused load leaves all of it.
constexpr std::string_view kBeforeLoad = "\x01" "before the load";

// A catalogue of its own for each store (validation may adjust catalogue limits). The models
// are made once and put back into the state before a load for every load: making them anew
// costs more than the load itself.
struct Model {
    SettingCatalogue catalogue;
    GuardLog guard;
    SettingStore store{catalogue, guard};

    Model& BeforeLoad() {
        catalogue = SettingCatalogue();
        for (int p = 0; p < kParameterCount; ++p) {
            for (int preset = 0; preset < kPresetCount; ++preset) {
                store.StoreSetting(p, preset, kBeforeLoad);
                store.SetEnabled(p, preset, false);
            }
        }
        guard.BeginGuard(kBeforeLoad);
        return *this;
    }
};

Model& First() {
    static auto* model = new Model;
    return model->BeforeLoad();
}

Model& Second() {
    static auto* model = new Model;
    return model->BeforeLoad();
}

bool Untouched(const Model& model) {
    for (int p = 0; p < kParameterCount; ++p) {
        for (int preset = 0; preset < kPresetCount; ++preset) {
            if (model.store.Text(p, preset) != kBeforeLoad || model.store.Enabled(p, preset))
                return false;
        }
    }
    return model.guard.Empty() && model.guard.Context() == Latin1ToWide(kBeforeLoad);
}

// The input lives in a memory file, opened by path as a file on disk would be.
class MemoryFile {
  public:
    MemoryFile() : fd_(memfd_create("vyr_fuzz_settings", 0)) {
        if (fd_ < 0)
            vyr_fuzz::Fail("memfd_create");
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }

    const std::string& Path() const { return path_; }

    void Fill(std::string_view content) {
        if (ftruncate(fd_, 0) != 0)
            vyr_fuzz::Fail("ftruncate");
        std::size_t done = 0;
        while (done < content.size()) {
            const ssize_t n = pwrite(fd_, content.data() + done, content.size() - done,
                                     static_cast<off_t>(done));
            if (n <= 0)
                vyr_fuzz::Fail("pwrite");
            done += static_cast<std::size_t>(n);
        }
    }

  private:
    int fd_;
    std::string path_;
};

MemoryFile& File() {
    static MemoryFile file;
    return file;
}

bool SameValues(const SettingStore& a, const SettingStore& b) {
    for (int p = 0; p < kParameterCount; ++p) {
        for (int preset = 0; preset < kPresetCount; ++preset) {
            if (a.Text(p, preset) != b.Text(p, preset))
                return false;
        }
    }
    return true;
}

SettingsFileStatus Load(std::string_view content, Model& model) {
    File().Fill(content);
    return LoadSettingsStore(model.store, File().Path());
}

void CheckLoad(std::string_view content, bool sealed) {
    Model& model = First();
    const SettingsFileStatus status = Load(content, model);
    if (sealed)
        VYR_FUZZ_CHECK(status == SettingsFileStatus::Ok);
    if (status != SettingsFileStatus::Ok) {
        VYR_FUZZ_CHECK(Untouched(model));
        return;
    }
    // Every slot replaced, enabled, and holding only permitted characters.
    VYR_FUZZ_CHECK(model.guard.Context() == Latin1ToWide(kLoadingFromFile));
    for (int p = 0; p < kParameterCount; ++p) {
        for (int preset = 0; preset < kPresetCount; ++preset) {
            VYR_FUZZ_CHECK(model.store.Text(p, preset) != kBeforeLoad);
            VYR_FUZZ_CHECK(model.store.Enabled(p, preset));
            for (const char c : model.store.Text(p, preset))
                VYR_FUZZ_CHECK(IsPermittedCharacter(static_cast<unsigned char>(c)));
        }
    }

    // Saved and loaded again: the same values, nothing to report.
    const std::string saved = FormatSettingsFile(model.store);
    Model& again = Second();
    VYR_FUZZ_CHECK(Load(saved, again) == SettingsFileStatus::Ok);
    VYR_FUZZ_CHECK(again.guard.Empty());
    VYR_FUZZ_CHECK(SameValues(model.store, again.store));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    CheckLoad(content, false);

    const std::size_t end = content.find('\n');
    const std::string_view body =
        end == std::string_view::npos ? content : content.substr(end + 1);
    std::string sealed = "security_token=" + SettingsChecksum(body) + "\n";
    sealed += body;
    if (sealed != content)
        CheckLoad(sealed, true);
    return 0;
}
