#include "app/Form1.h"

void Form1::PushButton1_Click() {}
void Form1::PushButton3_Click() {}
void Form1::PushButton4_Click() {}
void Form1::PushButton5_Click() {}
void Form1::PushButton6_Click() {}
void Form1::ListView1_OLEDragOver(QDragMoveEvent*) {}
void Form1::ListView1_OLEDragDrop(QDropEvent*) {}
void Form1::ListView1_ItemClick(QTreeWidgetItem*) {}
void Form1::ListView1_MouseDown(Qt::MouseButton, const QPoint&) {}
void Form1::ListView1_MouseMove(Qt::MouseButtons, const QPoint&) {}
void Form1::ListView1_MouseUp(Qt::MouseButton, const QPoint&) {}
void Form1::ListView1_KeyDown(int, Qt::KeyboardModifiers) {}
void Form1::ListView1_DblClick() {}
