#include "app/helptext.h"

namespace vextrum {

namespace {
const char *const kTopics[] = {
    "1> How To Install \"Vextrum DGS\" Transfer Software.",
    "2> How To Select Serial Port.",
    "3> How To Transfer Data From The Galvanor-II DGS to PC.",
    "4> How To Save/Open data File.",
    "5> How To Print Data File.",
    "6> How To Select Printer.",
};

// Each topic's heading as the text gives it, then its body.
const char *const kSections[] = {
    "1> How To Install \"Vextrum DGS\" Transfer Software.\n"
    "        > Put the CD into the drive and run its setup file; follow the\n"
    "          instructions on the screen.\n"
    "        > You need full rights on the computer. Otherwise install it as\n"
    "          administrator.\n"
    "        > If you like, copy the folder of sample data files from the CD.\n"
    "        > Start \"Vextrum DGS\" from the Start menu.\n"
    "        > At the first run the program reports that the port configuration\n"
    "          file is lost. Select the serial port that the instrument's cable\n"
    "          is connected to. If you are not sure, try the ports one by one.\n",

    "2> How To Select Serial Port.\n"
    "        > The port chosen at the first run stays in force and is not asked\n"
    "          for again.\n"
    "        > To change it later, choose the Option menu, select the port and\n"
    "          press Ok.\n"
    "        > Besides COM1 to COM4 the Option window lists every serial port\n"
    "          the system reports, a USB-serial adapter among them, with its\n"
    "          description; a port chosen there is remembered too.\n",

    "3> How To Transfer Data From The Galvanor-II DGS  to PC.\n"
    "        > Connect the cable between the instrument and the computer.\n"
    "        > Run the program, then switch the instrument on.\n"
    "        > Select the memory numbers to transfer in the memory list and\n"
    "          click \"CAPTURE\".\n"
    "        > Transferred memories are marked with \"*\".\n"
    "        > \"Stop\" (or Esc) ends a transfer; the status bar then says how\n"
    "          many memories were received and names those that were not.\n"
    "          They stay selected: \"CAPTURE\" again tries exactly those.\n"
    "        > A memory the instrument sends on its own is taken in too.\n"
    "        > Double-click a memory number to display it.\n"
    "        > If nothing arrives, check the cable and the port selection.\n",

    "4> How To Save/Open data File\n"
    "        > Save the captured data with File, Save.\n"
    "        > To keep the operator name, job detail, defect detail or remark\n"
    "          with a memory, display that memory, type them into the text\n"
    "          boxes and click \"Note Save\": the notes go into that memory.\n"
    "          Then save the file with File, Save before leaving the program.\n"
    "        > The title bar names the data file in use; a \"*\" there means\n"
    "          memories or notes that are in no file yet.\n"
    "        > Saving over another existing file asks first.\n"
    "        > View stored files again with File, Open.\n"
    "        > Every memory that reaches the PC (captured, received or read\n"
    "          with File, Open) and every note save is also kept in the\n"
    "          archive, before its entry is marked. View, Archive finds them\n"
    "          again by the words of their notes and probe, the day, the\n"
    "          memory number and the station, and names the archive file.\n"
    "          \"Not archiving\" in the status bar says the archive cannot\n"
    "          be used, and why; the program works on without it.\n"
    "        > Server... in the Archive window sends the archive on to the\n"
    "          team's PostgreSQL server whenever it is reachable; the status\n"
    "          bar says how many memories wait for it.\n",

    "5> How To Print Data File.\n"
    "        > Open the file, select the printer, select the memory numbers,\n"
    "          then choose File, Print and follow the window.\n"
    "        > File, Export PDF, Export CSV and Export Picture write the\n"
    "          reports, a table of all values or the A-scan picture to files\n"
    "          for a client; Report Letterhead puts the company's name,\n"
    "          address and logo above every report page.\n"
    "        > The View menu opens the A-scan Viewer (measuring, zoom,\n"
    "          comparing two memories) and the Memory Browser (all memories\n"
    "          in a table).\n"
    "        > Without a display, the program vextrum-export writes the same\n"
    "          PDF, CSV and pictures from a data file, and vextrum-archive\n"
    "          imports folders of data files into the archive, searches it\n"
    "          and exports archived memories.\n",

    "6> How to select Printer.\n"
    "        > Printer set-up is in the File menu (PrintSetup).\n"
    "        > For further help, contact your supplier or the company:\n"
    "\n"
    "Tarvonix Instruments Mfg. Co.(P) Ltd.\n",
};
} // namespace

QStringList helpTopics()
{
    QStringList topics;
    for (const char *t : kTopics)
        topics << QString::fromLatin1(t);
    return topics;
}

QString helpText()
{
    QString text = helpTopics().join(QLatin1Char('\n')) + QLatin1Char('\n');
    for (const char *s : kSections)
        text += QLatin1Char('\n') + QString::fromLatin1(s);
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

} // namespace vextrum
