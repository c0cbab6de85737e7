#pragma once

// The program-wide settings: the application title, the icon, and a program that runs on
// with no window open.
void SetUpCommApplication();
