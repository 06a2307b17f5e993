#include "app/Form1.h"

void Form1::PushButton11_Click() {}
void Form1::Text2_Change() {}
