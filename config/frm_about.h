#pragma once
// The about box: title, version, the title picture, the maker's contact details
// and a legal notice; it opens the maker's web site and a system information tool.
#include <QDialog>
#include <QStringList>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;

class frm_About : public QDialog
{
    Q_OBJECT
public:
    // Loads the box (Form_Load runs here).
    explicit frm_About(QWidget *parent = nullptr);

    static const QString k_web_address;
    // Desktop tools that show what the machine is made of, in the order they
    // are looked for on the PATH (program, then its arguments).
    static const std::vector<QStringList> k_system_info_tools;

    // "Version 3.0.0": the program's own version.
    static QString version_text();

    // Handlers.
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Command1_Click();
    void StartSysInfo();

    // Controls.
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Image1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
};
