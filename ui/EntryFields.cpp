#include "ui/EntryFields.h"

#include "ui/TForm1.h"

namespace kelvane {

void InstallEntryFields(TForm1& window) { (void)window; }

}  // namespace kelvane
