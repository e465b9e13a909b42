// A report that records what a stage reported: every label text, every bar
// range and position, a copy of every transfer record and the files held. Stages report
// synchronously, so the records are complete when the call under test returns.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/run_report.h"

namespace testenv {

struct BarEvent {
    int id;
    bool isRange;  // a range (value = upper end) or a position (value = position)
    int value;
    bool operator==(const BarEvent& o) const { return id == o.id && isRange == o.isRange && value == o.value; }
};

class RecordingReport : public base::RunReport {
public:
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

    std::vector<std::pair<WindowPart, std::string>> texts;
    std::vector<BarEvent> barEvents;
    std::vector<base::TransferProgress> reports;
    std::vector<base::StringList> heldFiles;
};

}  // namespace testenv
