#include "config/frm_options.h"

frm_options::frm_options(QWidget *parent) : QDialog(parent) {}
