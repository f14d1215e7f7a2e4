// Placeholder until the About window lands; replaced by its real implementation.
#include "desktop/Form2.h"

#include <QCloseEvent>

namespace ondrel {

Form2::Form2(Form1& main, QWidget* parent) : QWidget(parent), m_main(main) {}
void Form2::Form_Load() {}
void Form2::Command1_Click() {}
void Form2::closeEvent(QCloseEvent* event) { event->accept(); }
void Form2::Form_Unload() {}

} // namespace ondrel
