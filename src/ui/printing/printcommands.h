#pragma once
// What File > Print, Printer settings and the XY recorder's automatic print
// take from the main window: its windows, the configuration, the PDF file.

class MainWindow;
struct PrintHooks;

PrintHooks MainWindowPrintHooks(MainWindow& frame);
