#pragma once

class Platform;
class Settings;

// Starts the user's e-mail program ("Email prog", and after Process with RunEmailProgram on).
void startEmailProgram(const Settings& settings, Platform& platform);
