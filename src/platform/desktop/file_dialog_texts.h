#pragma once

class QFileDialog;

// Qt's own file dialog with every column in the program's language: its
// model writes dates and sizes in the system locale (English on a machine
// set to C or English), so a proxy writes them in the default locale.
void prepareFileDialog(QFileDialog &dialog);
