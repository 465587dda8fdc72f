#include "app/CommandLine.h"

namespace qw77::app {

std::string HelpFooter(const std::string& data_folder, const std::string& ports_file) {
  // A name, then its text from column 23 on.
  return "Qt's own options, such as -platform NAME or -display DISPLAY, are passed to Qt.\n"
         "\n"
         "Ports: each of COM1..COM3, LPT1, LPT2 reaches the endpoint named by its option,\n"
         "else its environment variable, else the ports file, else its default.\n"
         "\n"
         "Environment:\n"
         "  QW77_COM1 .. QW77_COM3\n"
         "                      what serial port n reaches (default /dev/ttyS<n-1>): a\n"
         "                      device such as /dev/ttyUSB0, tcp:HOST[:PORT] (a network\n"
         "                      printer, port 9100 by default) or usblp:/dev/usb/lpN\n"
         "  QW77_LPT1, QW77_LPT2\n"
         "                      what parallel port n reaches (default ppdev:/dev/parport<n-1>):\n"
         "                      ppdev:/dev/parportN, vprinter:SOCKET or usblp:/dev/usb/lpN\n"
         "  QW77_PORT_ACCESS    older form: ppdev, or vprinter:SOCKET for LPT1\n"
         "  XDG_CONFIG_HOME     where the ports file is looked for (default ~/.config)\n"
         "  Comspec             command interpreter that removes the spool file after a\n"
         "                      job (default /bin/sh)\n"
         "  QW77_REPORT_START   when set, print how long the window took to show\n"
         "\n"
         "Files:\n"
         "  " +
         ports_file +
         "\n"
         "                      the ports file: a [ports] section with lines such as\n"
         "                      COM1 = /dev/serial/by-id/usb-FTDI_...\n"
         "                      LPT1 = usblp:/dev/usb/lp0\n"
         "  tempo.txt           the sample ticket as sent to the printer, written in the\n"
         "                      current folder and removed after the job\n"
         "  SPACE.BMP, ORVAL.BMP, CUADROS.BMP\n"
         "                      the logos: each is read from the folder of the qw77\n"
         "                      executable when it is there, otherwise from\n"
         "                      " +
         data_folder +
         "\n"
         "\n"
         "Serial devices belong to the dialout group, printers and parallel ports to the lp\n"
         "group: a user who is to reach them joins the group and logs in again.\n";
}

}  // namespace qw77::app
