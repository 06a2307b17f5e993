#include "Samples.h"

#include "app/Form1.h"

void TakeSamplesSnapshot(Form1&) {}
void LoadSampleFiles(Form1&, ListView*) {}
void Form1::PushButton7_Click() { LoadSampleFiles(*this, ListView1); }
