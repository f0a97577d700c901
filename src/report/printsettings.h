#pragma once
// The printer every report goes to, chosen under File, PrintSetup, and
// the page size and margins exports take from it.

#include <memory>

class QPrinter;
class QWidget;

namespace vextrum {

class PrintSettings
{
public:
    PrintSettings();
    ~PrintSettings();

    // The current printer; a default one is made on first use.
    QPrinter &printer();
    bool hasPrinter() const { return bool(printer_); }
    // Makes `printer` the current one, as choosing it in set-up would.
    void setPrinter(std::shared_ptr<QPrinter> printer) { printer_ = std::move(printer); }

    // The platform's printer selection and set-up dialog on the current
    // printer, modal. Accepting makes the choice the one later reports go
    // to (a PDF file included); cancelling changes nothing.
    void setup(QWidget *parent);

private:
    std::shared_ptr<QPrinter> printer_;
};

} // namespace vextrum
