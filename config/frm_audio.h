#pragma once
#include <QDialog>

class frm_audio : public QDialog
{
    Q_OBJECT
public:
    explicit frm_audio(QWidget *parent = nullptr);
};
