// The graphical module's own source, so the module exists as a library
// even before its subsystems have files of their own.
namespace qxvb::gui {
int moduleMarker = 0;
}  // namespace qxvb::gui
