#pragma once
#include <QString>

class Form1;
class ListView;

// Records the sample documents found in the program's Samples folder, as the setting "Snapshot".
void TakeSamplesSnapshot(Form1& form);
// Appends the recorded samples that still exist and are not listed yet, then offers to open their folder.
void LoadSampleFiles(Form1& form, ListView* list);

// The stored form of the snapshot and back. Unscrambling throws RuntimeError on a damaged value.
QString ScrambleSnapshot(const QString& plain);
QString UnscrambleSnapshot(const QString& stored);
