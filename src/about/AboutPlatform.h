#pragma once

class FileCheck;
class MessageBox;
class ProcessStarter;
class Registry;

// What the about box talks to outside itself: the registry that records the
// system-information program, the process start and file check that run it, and the message
// box that says when it cannot. The program passes the real ones, the tests their fakes.
struct AboutPlatform
{
    Registry &registry;
    ProcessStarter &processes;
    FileCheck &files;
    MessageBox &messages;
};
