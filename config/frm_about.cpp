#include "config/frm_about.h"

frm_About::frm_About(QWidget *parent) : QDialog(parent) {}
