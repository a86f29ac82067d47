#pragma once

#include "link/exchange_view.h"
#include "link/port_look_up.h"
#include "link/serial_link.h"
#include "link/tick_timer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

namespace vlr::test {

// A port whose openings are recorded and whose sent letters are collected.
class FakeSerialLink : public link::SerialLink {
public:
    void setPortTable(const link::ComPortTable& ports) override { table = ports; }
    void setPortNumber(int number) override {
        if (!open_)
            portNumber = number;
    }
    link::PortOpening openPort() override {
        openedPorts.push_back(portNumber);
        const bool known = portNumber >= 1 && portNumber <= 16;
        open_ = known && openable[portNumber - 1];
        if (open_)
            return link::PortOpening::Opened;
        return known && busy[portNumber - 1] ? link::PortOpening::Busy : link::PortOpening::Absent;
    }
    void closePort() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool writeOneByte(char byte) override {
        if (!open_)
            return false;
        sent.append(byte);
        return true;
    }
    int baudRateValue() const override { return 9600; }

    // Delivers bytes as the driver would.
    void receive(const QByteArray& chunk) { onReceiveData(chunk); }
    // The adapter is pulled out.
    void vanish() {
        open_ = false;
        onPortError();
    }

    // The ports present: those that open and those another program holds.
    link::PortLookUp lookUp() {
        return [this] {
            link::ComPortTable ports;
            for (int i = 0; i < 16; ++i) {
                if (openable[i] || busy[i])
                    ports[i] = QStringLiteral("fake%1").arg(i + 1);
            }
            return ports;
        };
    }

    int portNumber = 2;
    std::array<bool, 16> openable{};
    std::array<bool, 16> busy{};
    link::ComPortTable table;
    std::vector<int> openedPorts;
    QByteArray sent;

private:
    bool open_ = false;
};

class FakeTickTimer : public link::TickTimer {
public:
    void start() override { active_ = true; }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    void tick() { onTick(); }

private:
    bool active_ = false;
};

struct ShownMessage {
    QString text;
    QString caption;
    link::MessageIcon icon;
};

// Records what the exchange shows; message boxes return at once.
class FakeExchangeView : public link::ExchangeView {
public:
    void setStatusText(int panel, const QString& text) override { panels.at(panel) = text; }
    void showTab(link::CommTab tab, const QString& caption) override {
        tabCaptions.at(static_cast<size_t>(tab)) = caption;
    }
    void setReadArchiveEnabled(bool enabled) override { readArchiveEnabled = enabled; }
    void setCommOptionsEnabled(bool enabled) override { commOptionsEnabled = enabled; }
    void startRefreshTimer() override { refreshTimerActive = true; }
    void stopRefreshTimer() override { refreshTimerActive = false; }
    void RefreshCommView() override { ++refreshes; }
    void showMessage(const QString& text, const QString& caption, link::MessageIcon icon) override {
        messages.push_back({text, caption, icon});
        if (onMessage)
            onMessage();
    }
    void setExchangeState(link::ExchangeState state) override { states.push_back(state); }
    void setReadProgress(const link::ReadProgress& report) override { progress.push_back(report); }
    void readEnded(const link::ReadOutcome& outcome) override { outcomes.push_back(outcome); }

    std::array<QString, 3> panels;
    std::array<QString, 3> tabCaptions;  // empty while a tab is hidden
    bool readArchiveEnabled = false;
    bool commOptionsEnabled = false;
    bool refreshTimerActive = false;
    int refreshes = 0;
    std::vector<ShownMessage> messages;
    std::vector<link::ExchangeState> states;
    std::vector<link::ReadProgress> progress;
    std::vector<link::ReadOutcome> outcomes;
    // Runs while a box is "open", as events may.
    std::function<void()> onMessage;
};

}  // namespace vlr::test
