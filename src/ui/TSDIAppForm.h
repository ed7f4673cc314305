#pragma once
#include <QMainWindow>
#include <QString>

namespace velmok::ui {

// The main window. It owns the engine and every long-lived piece of state.
class TSDIAppForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TSDIAppForm(const QString& configDir, QWidget* parent = nullptr);
    ~TSDIAppForm() override;

    const QString& ConfigDir() const { return configDir_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString configDir_;
};

}  // namespace velmok::ui
