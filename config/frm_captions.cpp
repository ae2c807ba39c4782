#include "config/frm_captions.h"

frm_captions::frm_captions(QWidget *parent) : QDialog(parent) {}
