#pragma once
#include <QDialog>

class frm_captions : public QDialog
{
    Q_OBJECT
public:
    explicit frm_captions(QWidget *parent = nullptr);
};
