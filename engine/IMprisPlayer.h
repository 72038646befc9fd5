#pragma once
// What the media-player D-Bus service needs from the player: the state it reports and the commands
// desktops send (media keys, panel applets). The main window implements it and routes each command
// through the same command ids as its menus, so a key pressed on the desktop and a menu click behave
// alike. Tests implement it with a fake.
//
// Threads: user-interface thread only (the service calls it from Qt's event loop).

#include <cstdint>
#include <string>

class IMprisPlayer {
public:
    enum class Status { Stopped, Playing, Paused };

    // The track being played (or, when stopped, the one that would play).
    struct Track {
        bool valid = false;
        int row = -1;      // playlist row from 0; or the track number for a CD track
        int cdDrive = 0;   // 0 for a playlist row; CD drive index from 1 for a CD track
        std::string title; // UTF-8
        std::string artist;
        std::string album;
        std::int64_t lengthUs = 0;
        std::string path; // local file path, empty for CD tracks

        bool operator==(const Track &) const = default;
    };

    virtual ~IMprisPlayer() = default;

    virtual Status PlaybackStatus() = 0;
    virtual Track CurrentTrack() = 0;
    virtual std::int64_t PositionUs() = 0;
    virtual double Volume() = 0; // 0..1
    virtual bool CanGoNext() = 0;
    virtual bool CanGoPrevious() = 0;
    virtual bool CanPlay() = 0;
    virtual bool CanSeek() = 0;

    virtual void Play() = 0;
    virtual void Pause() = 0;     // pauses only while playing
    virtual void PlayPause() = 0; // play when stopped, else pause or resume
    virtual void Stop() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    virtual void SeekTo(std::int64_t positionUs) = 0; // within the current track, already clamped
    virtual void SetVolume(double volume) = 0;       // 0..1, already clamped
    virtual void OpenFile(const std::string &path) = 0;
    virtual void Raise() = 0;
    virtual void Quit() = 0;
};
