// A window made of names: records every control change in order and keeps the resulting state, so worker
// code can be tested without Qt. Pair it with InlineHandOver, which runs hand-over work at once and marks
// where each hand-over began in the same log.
#pragma once

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "worker/WindowControls.h"

namespace kelvane::testing {

class RecordingWindow : public WindowControls {
public:
    struct Control {
        std::string Text;
        uint32_t FontColour = Colour::Black;
        int Bar = 0;
        int BarMaximum = 100;
        bool Checked = false;
        bool Enabled = true;
        bool Visible = true;
        bool TabVisible = true;
        int Tag = 0;
        std::vector<std::pair<std::string, uint32_t>> Rich;  // appended pieces with their colours
        std::vector<int> Samples;                             // chart samples in order
        int Repaints = 0;
    };

    void SetText(std::string_view c, std::string_view text) override {
        at(c).Text = std::string(text);
        log("text " + std::string(c) + "=" + std::string(text));
    }
    std::string Text(std::string_view c) override { return at(c).Text; }
    void SetFontColour(std::string_view c, uint32_t colour) override {
        at(c).FontColour = colour;
        log("colour " + std::string(c) + "=" + ColourName(colour));
    }
    void SetBar(std::string_view c, int position) override {
        at(c).Bar = position;
        log("bar " + std::string(c) + "=" + std::to_string(position));
    }
    void SetBarMaximum(std::string_view c, int maximum) override {
        at(c).BarMaximum = maximum;
        log("barmax " + std::string(c) + "=" + std::to_string(maximum));
    }
    void SetChecked(std::string_view c, bool checked) override {
        at(c).Checked = checked;
        log("checked " + std::string(c) + "=" + (checked ? "1" : "0"));
    }
    void SetEnabled(std::string_view c, bool enabled) override {
        at(c).Enabled = enabled;
        log("enabled " + std::string(c) + "=" + (enabled ? "1" : "0"));
    }
    void SetVisible(std::string_view c, bool visible) override {
        at(c).Visible = visible;
        log("visible " + std::string(c) + "=" + (visible ? "1" : "0"));
    }
    void SetTabVisible(std::string_view page, bool visible) override {
        at(page).TabVisible = visible;
        log("tab " + std::string(page) + "=" + (visible ? "1" : "0"));
    }
    bool IsPageShowing(std::string_view page) override { return ShowingPages.count(std::string(page)) > 0; }
    void Repaint(std::string_view c) override {
        ++at(c).Repaints;
        log("repaint " + std::string(c));
    }
    void AppendText(std::string_view c, std::string_view text, uint32_t colour) override {
        at(c).Rich.emplace_back(std::string(text), colour);
        log("append " + std::string(c) + "=" + std::string(text));
    }
    void ClearText(std::string_view c) override {
        at(c).Rich.clear();
        log("clear " + std::string(c));
    }
    void ChartSample(std::string_view c, int value) override {
        at(c).Samples.push_back(value);
        log("sample " + std::string(c) + "=" + std::to_string(value));
    }
    int Tag(std::string_view c) override { return at(c).Tag; }
    void SetTag(std::string_view c, int tag) override {
        at(c).Tag = tag;
        log("tag " + std::string(c) + "=" + std::to_string(tag));
    }
    void SetStatusText(int panel, std::string_view text) override {
        StatusPanels[panel] = std::string(text);
        log("status " + std::to_string(panel) + "=" + std::string(text));
    }
    void SetLinkLampOnline(bool online) override {
        LinkLampOnline = online;
        log(std::string("lamp ") + (online ? "1" : "0"));
    }

    // The whole text of a rich-text box, pieces joined.
    std::string RichText(std::string_view c) {
        std::string all;
        for (const auto& piece : at(c).Rich) all += piece.first;
        return all;
    }

    static std::string ColourName(uint32_t colour) {
        switch (colour) {
            case Colour::Black: return "black";
            case Colour::Green: return "green";
            case Colour::Red: return "red";
            default: {
                char buf[16];
                std::snprintf(buf, sizeof buf, "%06X", colour);
                return buf;
            }
        }
    }

    Control& at(std::string_view c) { return Controls[std::string(c)]; }
    void log(std::string entry) { Log.push_back(std::move(entry)); }

    std::map<std::string, Control, std::less<>> Controls;
    std::map<int, std::string> StatusPanels;
    std::set<std::string, std::less<>> ShowingPages;
    bool LinkLampOnline = false;
    std::vector<std::string> Log;
};

// Runs hand-over work at once on the calling thread, logging "handover" into the window's log first.
class InlineHandOver : public HandOver {
public:
    explicit InlineHandOver(RecordingWindow& window) : window_(window) {}
    void Run(const std::function<void()>& work) override {
        ++Count;
        window_.log("handover");
        work();
    }
    int Count = 0;

private:
    RecordingWindow& window_;
};

}  // namespace kelvane::testing
