/* Quorvane skin: a calm blue-grey look for the main window and its dialogs. */
QWidget { color: #1d2733; }
QPushButton {
  background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f7fb, stop:1 #dbe4ef);
  border: 1px solid #8fa3bb; border-radius: 3px; padding: 2px 6px;
}
QPushButton:hover { background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e6eef8); border-color: #4f79a8; }
QPushButton:pressed { background-color: #c9d6e6; }
QGroupBox { border: 1px solid #a9b8ca; border-radius: 4px; margin-top: 8px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }
QProgressBar { border: 1px solid #8fa3bb; border-radius: 3px; text-align: center; background: #ffffff; }
QProgressBar::chunk { background-color: #6d9bd1; }
QTreeWidget, QLineEdit, QComboBox { border: 1px solid #a9b8ca; background: #ffffff; }
