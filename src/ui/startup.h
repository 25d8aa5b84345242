#pragma once
// Program entry after the command line: builds the main window (on the real ports, or on the
// virtual phone with --demo), shows it, and runs the event loop.
namespace vandrel::ui {
int runApplication(bool demo);
}
