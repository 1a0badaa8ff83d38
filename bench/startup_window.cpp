// Preset selection timed in this process: the main window built, shown and settled, then
// EditPreset() alternating between the first two preset buttons (the others are disabled
// at start). Each selection shows all values of the preset and recomputes the enabling.
//
// Three figures:
//   - the call alone, back to back;
//   - the call followed by one wxYield, back to back. GTK paints on its frame clock (about
//     every 16.7 ms), so a single wxYield holds a repaint only when a frame falls due in it;
//     the paint events counted tell how often that happened;
//   - from the call to the end of the first frame painted after it, each selection made on
//     an idle window (the theme's button transitions of the previous one finished).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/event.h>
#include <wx/init.h>
#include <wx/utils.h>

#include "app/main_frame.h"
#include "app/services.h"

namespace vyr::bench {

namespace {

struct PresetFigures {
    std::vector<double> selectMs;
    std::vector<double> withYieldMs;
    double paintsPerYield = 0;
    double paintsPerFrame = 0;  // the wx windows repainted in one frame, on average
    std::vector<double> firstFrameMs;
};

using Clock = std::chrono::steady_clock;

// The default OnInit parses the command line; there is nothing to parse here.
class BenchApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// Counts the paint events of the window's own (wx-drawn) windows.
class PaintCounter : public wxEventFilter {
  public:
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_PAINT)
            ++count;
        return Event_Skip;
    }
    long count = 0;
};

// Lets the toolkit map, lay out and draw the window, and finish the button transitions
// (200 ms in the default theme).
void Settle(int rounds = 10) {
    for (int i = 0; i < rounds; ++i) {
        wxYield();
        wxMilliSleep(20);
    }
}

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

bool MeasureSelectPreset(const char* argv0, const std::string& configDir, int warmup, int runs,
                         int frameRuns, void (*print)(const char*, std::vector<double>)) {
    PresetFigures figures;
    int argc = 1;
    char* argv[] = {const_cast<char*>(argv0), nullptr};
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the window toolkit\n");
        return false;
    }
    bool ok = true;
    {
        AppServices services;
        StartOptions options;
        options.configDir = configDir;
        auto* frame = new AdminSWFrm(services, options);
        frame->Show();
        Settle();

        int selections = 0;
        const auto select = [&] { frame->EditPreset(selections++ % 2); };

        for (int i = 0; i < warmup; ++i)
            select();
        Settle();
        for (int i = 0; i < runs; ++i) {
            const auto start = Clock::now();
            select();
            figures.selectMs.push_back(Millis(Clock::now() - start));
        }
        Settle();

        PaintCounter paints;
        wxEvtHandler::AddFilter(&paints);
        for (int i = 0; i < warmup; ++i) {
            select();
            wxYield();
        }
        Settle();
        paints.count = 0;
        for (int i = 0; i < runs; ++i) {
            const auto start = Clock::now();
            select();
            wxYield();
            figures.withYieldMs.push_back(Millis(Clock::now() - start));
        }
        figures.paintsPerYield = static_cast<double>(paints.count) / runs;

        // The wxYield that handled a paint event has dispatched the whole frame.
        long framePaints = 0;
        int frames = 0;
        for (int i = 0; i < warmup + frameRuns; ++i) {
            Settle(15);
            paints.count = 0;
            const auto start = Clock::now();
            select();
            const auto limit = start + std::chrono::seconds(1);
            while (paints.count == 0 && Clock::now() < limit)
                wxYield();
            const auto end = Clock::now();
            if (paints.count == 0) {
                std::fprintf(stderr, "no repaint within 1 s of a preset selection\n");
                ok = false;
                break;
            }
            if (i >= warmup) {
                figures.firstFrameMs.push_back(Millis(end - start));
                framePaints += paints.count;
                ++frames;
            }
        }
        figures.paintsPerFrame = frames ? static_cast<double>(framePaints) / frames : 0;
        wxEvtHandler::RemoveFilter(&paints);

        if (frame->EditedPreset() != (selections - 1) % 2) {
            std::fprintf(stderr, "the last selection did not take: preset %d edited\n",
                         frame->EditedPreset());
            ok = false;
        }
        frame->Destroy();
        Settle();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    if (!ok)
        return false;

    std::printf("select preset (presets 0 and 1 alternating, %d warm-up selections first):\n",
                warmup);
    print("  EditPreset alone", figures.selectMs);
    print("  EditPreset + one wxYield", figures.withYieldMs);
    std::printf("    (paint events per wxYield: %.1f on average; a full frame has %.1f)\n",
                figures.paintsPerYield, figures.paintsPerFrame);
    print("  EditPreset to first frame painted, idle window", figures.firstFrameMs);
    return true;
}

}  // namespace vyr::bench
