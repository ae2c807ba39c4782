#include "config/frm_audio.h"

frm_audio::frm_audio(QWidget *parent) : QDialog(parent) {}
