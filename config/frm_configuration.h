#pragma once
#include <QDialog>

class frm_configuration : public QDialog
{
    Q_OBJECT
public:
    explicit frm_configuration(QWidget *parent = nullptr);
};
