// A report that records what a stage reported: every label text, every bar
// range and position, a copy of every transfer record, the files held and
// every box (answered with a chosen button). Stages report synchronously, so
// the records are complete when the call under test returns.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/message_box.h"
#include "base/run_report.h"

namespace testenv {

struct ReportedBox {
    std::string text;  // ANSI, as the stage passed it
    UINT type;
};

struct BarEvent {
    int id;
    bool isRange;  // a range (value = upper end) or a position (value = position)
    int value;
    bool operator==(const BarEvent& o) const { return id == o.id && isRange == o.isRange && value == o.value; }
};

class RecordingReport : public base::RunReport {
public:
    explicit RecordingReport(int boxAnswer = IDOK) : boxAnswer_(boxAnswer) {}

    // The last text reported for the label, empty when none was.
    std::string Text(WindowPart label) const;
    // Bar events of one bar, in order.
    std::vector<BarEvent> BarEvents(WindowPart bar) const;
    // The upper end of the bar's last range (100 for a bar never given one).
    int BarUpper(WindowPart bar) const;

    void SetText(WindowPart label, const std::string& text) override { texts.emplace_back(label, text); }
    void SetBarRange(WindowPart bar, int /*lower*/, int upper) override { barEvents.push_back({bar, true, upper}); }
    void SetBarPos(WindowPart bar, int position) override { barEvents.push_back({bar, false, position}); }
    void Transferred(base::TransferProgress& progress) override { reports.push_back(progress); }
    // Records the files and gives up, as the player's "cancel" would.
    bool RetryHeldFiles(const base::StringList& inUse) override {
        heldFiles.push_back(inUse);
        return false;
    }
    int ShowBox(const std::string& text, UINT type) override {
        boxes.push_back({text, type});
        return boxAnswer_;
    }
    void ShowError(const std::string& text) override { boxes.push_back({text, base::kErrorBoxType}); }

    std::vector<std::pair<WindowPart, std::string>> texts;
    std::vector<BarEvent> barEvents;
    std::vector<base::TransferProgress> reports;
    std::vector<base::StringList> heldFiles;
    std::vector<ReportedBox> boxes;

private:
    int boxAnswer_;
};

}  // namespace testenv
