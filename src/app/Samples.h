#pragma once

class Form1;
class ListView;

// Records the sample documents found in the program's Samples folder.
void TakeSamplesSnapshot(Form1& form);
// Appends the recorded samples that still exist and are not listed yet, then offers to open their folder.
void LoadSampleFiles(Form1& form, ListView* list);
