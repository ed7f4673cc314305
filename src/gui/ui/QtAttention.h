#pragma once
// What waits for the user while the main window is in the background: the
// desktop notifications of the lines that called them, and the mark of the
// tray icon. Either may be switched off, and without a notification service
// or a tray the window works as it always has.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSystemTrayIcon;
class QWidget;

namespace velmok::platform {
class QtNotifier;
}

namespace velmok::ui {

class QtAttention : public QObject {
    Q_OBJECT
public:
    explicit QtAttention(QWidget* window);
    ~QtAttention() override;

    // The switches of the settings; the tray icon shows where a tray exists.
    void Apply(bool desktop, bool tray);
    // A line of the conversation name (wire form; empty for the server
    // window) of slot calls the user.
    void Raise(int slot, const std::string& name, const QString& title, const QString& body);
    // The user came back to the window: nothing waits any more.
    void Clear();
    // The user clicked a notification or the tray icon: bring the window and
    // this conversation forward (slot -1 when nothing waits).
    std::function<void(int slot, const std::string& name)> onShow;

    // Replaces the desktop's notification service (tests bring their own bus).
    void SetNotifier(std::unique_ptr<platform::QtNotifier> notifier);
    int Waiting() const { return waiting_; }
    const QString& LastTitle() const { return lastTitle_; }
    const QString& LastBody() const { return lastBody_; }
    QSystemTrayIcon* Tray() const { return tray_; }
    // What a click on a notification does (the notifier's callback).
    void Clicked(int key);

private:
    struct Conversation {
        int slot;
        std::string name;
    };
    int KeyOf(int slot, const std::string& name);
    void ShowTrayState();

    QWidget* window_;
    std::unique_ptr<platform::QtNotifier> notifier_;
    QSystemTrayIcon* tray_ = nullptr;
    bool desktop_ = true;
    bool trayWanted_ = true;
    std::vector<Conversation> keys_;  // the key of a conversation is its index
    int waiting_ = 0;
    int latestKey_ = -1;
    QString lastTitle_, lastBody_;
};

}  // namespace velmok::ui
