#include "config/frm_configuration.h"

frm_configuration::frm_configuration(QWidget *parent) : QDialog(parent) {}
