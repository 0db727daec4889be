#pragma once

#include "midi/MidiCommunicationProcess.h"

// Runs a MIDI job (SEND ALL or RECEIVE ALL) inside the modal progress window: connects the
// ports, runs the job on its own thread while the window shows its progress and texts, and
// returns 0 when the job succeeded, 1 when it failed, was cancelled or could not connect.
// The modal-dialog flag is set for as long as the window exists. Blocks in a modal loop;
// message thread only.
int runMidiCommunicationProcess(midi::MidiCommunicationProcess& process);

// True while runMidiCommunicationProcess is running its window.
bool isMidiCommunicationProcessRunning();

// Asks the job of a running progress window to stop, as its Cancel button does, and makes the
// window close with 1 as soon as the job has ended, without waiting for OK; false when no
// window runs. Message thread only.
//
// Quitting while a job runs: the application's systemRequestedQuit (or the exit command) calls
//     if (isMidiCommunicationProcessRunning()) { cancelMidiCommunicationProcess(); quit(); return; }
// The modal loop then ends, the job thread is told to stop and waited for, and the runner returns
// 1 to its command before the application shuts down. A job waiting for an answer notices the
// request when its wait ends (at most the job's answer time-out).
bool cancelMidiCommunicationProcess();
