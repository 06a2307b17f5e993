/* Quorvane skin: a calm look for the main window and its dialogs, drawn in the desktop's own
   palette, so that a light theme gives a light window and a dark theme a dark one. */
QPushButton {
  background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 palette(light), stop:1 palette(button));
  border: 1px solid palette(mid); border-radius: 3px; padding: 2px 6px;
}
QPushButton:hover { background-color: palette(midlight); border-color: palette(highlight); }
QPushButton:pressed { background-color: palette(mid); }
QPushButton:focus { border-color: palette(highlight); }
QGroupBox { border: 1px solid palette(mid); border-radius: 4px; margin-top: 8px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }
QProgressBar { border: 1px solid palette(mid); border-radius: 3px; text-align: center; background: palette(base); }
QProgressBar::chunk { background-color: palette(highlight); }
QTreeWidget, QLineEdit, QComboBox { border: 1px solid palette(mid); background: palette(base); }
