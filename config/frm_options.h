#pragma once
#include <QDialog>

class frm_options : public QDialog
{
    Q_OBJECT
public:
    explicit frm_options(QWidget *parent = nullptr);
};
