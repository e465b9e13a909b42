#include "tests/support/recording_report.h"

namespace testenv {

std::string RecordingReport::Text(WindowPart label) const {
    for (auto text = texts.rbegin(); text != texts.rend(); ++text)
        if (text->first == label) return text->second;
    return std::string();
}

std::vector<BarEvent> RecordingReport::BarEvents(WindowPart bar) const {
    std::vector<BarEvent> events;
    for (const BarEvent& event : barEvents)
        if (event.id == bar) events.push_back(event);
    return events;
}

int RecordingReport::BarUpper(WindowPart bar) const {
    for (auto event = barEvents.rbegin(); event != barEvents.rend(); ++event)
        if (event->id == bar && event->isRange) return event->value;
    return 100;
}

}  // namespace testenv
