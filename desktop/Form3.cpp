// Placeholder until the Setting window lands; replaced by its real implementation.
#include "desktop/Form3.h"

#include <QCloseEvent>

namespace ondrel {

Form3::Form3(Form1& main, QWidget* parent) : QWidget(parent), m_main(main) {}
void Form3::Form_Load() {}
void Form3::Command1_Click() {}
void Form3::closeEvent(QCloseEvent* event) { event->accept(); }
void Form3::Form_Unload() {}

} // namespace ondrel
