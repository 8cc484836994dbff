#pragma once

#include "device/port_discovery.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace qa {

// "Get data": port, result kind and user for a download. The port can also be typed.
class GetDataDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Get data";

    explicit GetDataDialog(QWidget* parent = nullptr);

    // Refills the port list from a discovery, selecting the recognised port.
    void SetPorts(const DiscoveryResult& ports);
    void SetUsers(const std::vector<std::string>& users, const std::string& current);

    // The port as the operator left it: typed or chosen; empty falls back to the
    // recognised port, then to the first one listed.
    std::string PortText() const;
    int ItemKind() const;

    QComboBox* PortCombo() const { return ports_; }
    QComboBox* KindCombo() const { return kinds_; }
    QComboBox* UserCombo() const { return users_; }
    QPushButton* SearchButton() const { return search_; }
    QPushButton* OkButton() const { return ok_; }

signals:
    void PortSearchRequested();
    void UserChosen(const QString& id);

private:
    QComboBox* ports_;
    QComboBox* kinds_;
    QComboBox* users_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* search_;
    DiscoveryResult lastPorts_;
    bool filling_ = false;
};

// "Process": the one progress window of a download. Setting a text also shows it.
class ProcessDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProcessDialog(QWidget* parent = nullptr);
    void SetProgressText(const QString& text);
    QString ProgressText() const;

private:
    QLabel* label_;
    QPushButton* close_;
    QString shown_;
};

// The About box: what the program is, with an OK button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace qa
