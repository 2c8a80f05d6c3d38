#include "ui/ActionButtons.h"

#include "ui/TForm1.h"

namespace kelvane {

void InstallActionButtons(TForm1& window) { (void)window; }

}  // namespace kelvane
