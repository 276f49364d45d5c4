// Runs inside KWin on behalf of vantile: tells the program what happens on the desktop and
// carries out its commands. The program defines `vantileService` (its D-Bus name) and
// `vantilePid` above this text when it loads it. KWin 5 and KWin 6 name things differently;
// both are handled side by side.

var bridgePath = "/org/vantile/Bridge";
var bridgeInterface = "org.vantile.Bridge";
var six = workspace.activeWindow !== undefined;
var lastScreens = "";
var followed = null;
var pending = {};
var placements = {};
var shortcuts = {};
var failedPolls = 0;
var keysWindow = null;

// Every event carries the pointer, so that the program always knows where the user is.
function send(event) {
    event.cursor = point(workspace.cursorPos);
    callDBus(vantileService, bridgePath, bridgeInterface, "event", JSON.stringify(event));
}

function box(g) {
    return {x: g.x, y: g.y, w: g.width, h: g.height};
}

function point(p) {
    return {x: p.x, y: p.y};
}

function on(object, name, handler) {
    if (object && object[name] && object[name].connect) {
        object[name].connect(handler);
    }
}

function allWindows() {
    return six ? workspace.windowList() : workspace.clientList();
}

function activeWindow() {
    return six ? workspace.activeWindow : workspace.activeClient;
}

function activate(window) {
    if (six) {
        workspace.activeWindow = window;
    } else {
        workspace.activeClient = window;
    }
}

// Handing the focus to a window that is closing brings KWin down: it is handed on once the
// change in progress is over, and only to a window that is still there.
var handBack = new QTimer();
handBack.singleShot = true;
handBack.interval = 0;
var handBackTo = null;
handBack.timeout.connect(function () {
    if (handBackTo && allWindows().indexOf(handBackTo) >= 0 && handBackTo !== activeWindow()) {
        activate(handBackTo);
    }
    handBackTo = null;
});

function activateLater(window) {
    handBackTo = window;
    handBack.start();
}

function idOf(window) {
    return String(window.internalId);
}

function windowWithId(id) {
    var list = allWindows();
    for (var i = 0; i < list.length; ++i) {
        if (idOf(list[i]) === id) {
            return list[i];
        }
    }
    return null;
}

// Desktops, panels and the like are nobody's window to move.
function movable(window) {
    return !!window && (window.normalWindow || window.dialog) && !window.specialWindow;
}

function screenList() {
    var desktop = workspace.currentDesktop;
    var list = [];
    if (six) {
        workspace.screens.forEach(function (output) {
            list.push({
                name: output.name,
                full: box(output.geometry),
                area: box(workspace.clientArea(KWin.MaximizeArea, output, desktop))
            });
        });
    } else {
        for (var i = 0; i < workspace.numScreens; ++i) {
            list.push({
                name: "",
                full: box(workspace.clientArea(KWin.ScreenArea, i, desktop)),
                area: box(workspace.clientArea(KWin.MaximizeArea, i, desktop))
            });
        }
    }
    return list;
}

// Panels come and go with windows, so every change of windows may change the usable areas.
function desktopNumber() {
    return six ? workspace.currentDesktop.x11DesktopNumber : workspace.currentDesktop;
}

function sendScreens() {
    var text = JSON.stringify({list: screenList(), desktop: desktopNumber()});
    if (text !== lastScreens) {
        lastScreens = text;
        var event = JSON.parse(text);
        event.e = "screens";
        send(event);
    }
}

function setFrame(window, x, y, w, h) {
    window.frameGeometry = {x: x, y: y, width: w, height: h};
}

function frameEvent(window) {
    return {e: "frame", id: idOf(window), frame: box(window.frameGeometry)};
}

function onFrameChanged(window) {
    var id = idOf(window);
    if (window === followed) {
        send(frameEvent(window));
    } else if (pending[id]) {
        send(frameEvent(window));
    }
    var target = pending[id];
    if (target && target.x === window.frameGeometry.x && target.y === window.frameGeometry.y &&
        target.width === window.frameGeometry.width &&
        target.height === window.frameGeometry.height) {
        delete pending[id];
        send({e: "placed", id: id});
    }
}

// The program's own overlays are never the window the user works in; those that take no keys
// hand the focus straight back.
function isOverlay(window) {
    return !!window && window.pid === vantilePid && placements[window.caption] !== undefined;
}

function sendActive() {
    var window = activeWindow();
    if (isOverlay(window)) {
        if (!placements[window.caption].keys) {
            activateLater(keysWindow || followed);
        }
        return;
    }
    followed = movable(window) ? window : null;
    if (followed) {
        send({e: "active", id: idOf(followed), frame: box(followed.frameGeometry),
              own: followed.pid === vantilePid});
    } else {
        send({e: "active"});
    }
}

function isMove(window) {
    return window.move === true || window.move === undefined;
}

function watchWindow(window) {
    on(window, "frameGeometryChanged", function () { onFrameChanged(window); });
    var started = six ? "interactiveMoveResizeStarted" : "clientStartUserMovedResized";
    var stepped = six ? "interactiveMoveResizeStepped" : "clientStepUserMovedResized";
    var finished = six ? "interactiveMoveResizeFinished" : "clientFinishUserMovedResized";
    on(window, started, function () {
        if (isMove(window)) {
            send({e: "drag", phase: "start"});
        }
    });
    on(window, stepped, function () {
        if (isMove(window)) {
            send({e: "drag", phase: "step"});
        }
    });
    on(window, finished, function () {
        send({e: "drag", phase: "finish"});
    });
    on(window, "captionChanged", function () { placeOwnWindow(window); });
    on(window, six ? "closed" : "windowClosed", function () { forget(window); });
    placeOwnWindow(window);
}

// The program's own overlay windows are named by their caption; the program says where each
// goes, and they stay above everything else, on every desktop, out of the task bar.
function placeOwnWindow(window) {
    if (window.pid !== vantilePid) {
        return;
    }
    var place = placements[window.caption];
    if (!place) {
        return;
    }
    window.keepAbove = true;
    window.skipTaskbar = true;
    window.skipSwitcher = true;
    window.skipPager = true;
    window.onAllDesktops = true;
    setFrame(window, place.x, place.y, place.w, place.h);
    if (place.keys) {
        keysWindow = window;
        activateLater(window);
    } else if (window === activeWindow()) {
        sendActive();
    }
}

var commands = {
    frame: function (c) {
        var window = windowWithId(c.id);
        if (!window) {
            send({e: "placed", id: c.id});
            return;
        }
        var g = window.frameGeometry;
        if (window.fullScreen) {
            window.fullScreen = false;
        }
        window.setMaximize(false, false);
        if (g.x === c.x && g.y === c.y && g.width === c.w && g.height === c.h) {
            send({e: "placed", id: c.id});
        } else {
            pending[c.id] = {x: c.x, y: c.y, width: c.w, height: c.h};
            setFrame(window, c.x, c.y, c.w, c.h);
        }
        activate(window);
    },
    bind: function (c) {
        if (!shortcuts[c.name]) {
            registerShortcut(c.name, c.text, c.keys, function () {
                if (shortcuts[c.name].on) {
                    send({e: "shortcut", name: c.name});
                }
            });
            shortcuts[c.name] = {};
        }
        shortcuts[c.name].on = true;
        send({e: "bound", name: c.name});
    },
    unbind: function (c) {
        if (shortcuts[c.name]) {
            shortcuts[c.name].on = false;
        }
    },
    place: function (c) {
        placements[c.title] = c;
        allWindows().forEach(function (window) {
            if (window.caption === c.title) {
                placeOwnWindow(window);
            }
        });
    },
    activate: function (c) {
        allWindows().forEach(function (window) {
            if (window.pid === vantilePid && window.caption === c.title) {
                activateLater(window);
            }
        });
    },
    unplace: function (c) {
        delete placements[c.title];
    },
    screens: function () {
        lastScreens = "";
        sendScreens();
    },
    ping: function (c) {
        send({e: "pong", token: c.token});
    }
};

function run(list) {
    list.forEach(function (c) {
        if (commands[c.c]) {
            commands[c.c](c);
        }
    });
}

// KWin scripts cannot offer D-Bus methods, so the program answers a standing call with the next
// commands. A failed call skips its callback: the watchdog calls again, and gives up once the
// program is gone for good.
var watchdog = new QTimer();
watchdog.singleShot = true;
watchdog.interval = 30000;
watchdog.timeout.connect(function () {
    failedPolls += 1;
    if (failedPolls < 4) {
        poll();
    }
});

function poll() {
    watchdog.start();
    callDBus(vantileService, bridgePath, bridgeInterface, "next", function (text) {
        failedPolls = 0;
        run(JSON.parse(text));
        poll();
    });
}

allWindows().forEach(watchWindow);
on(workspace, six ? "windowAdded" : "clientAdded", function (window) {
    watchWindow(window);
    sendScreens();
});
function forget(window) {
    if (window === keysWindow) {
        keysWindow = null;
    }
    if (window === followed) {
        followed = null;
    }
    if (window === handBackTo) {
        handBackTo = null;
    }
}

on(workspace, six ? "windowRemoved" : "clientRemoved", function (window) {
    forget(window);
    sendScreens();
});
on(workspace, six ? "windowActivated" : "clientActivated", sendActive);
on(workspace, six ? "screensChanged" : "numberScreensChanged", sendScreens);
on(workspace, "screenResized", sendScreens);
on(workspace, "virtualScreenGeometryChanged", sendScreens);
on(workspace, "currentDesktopChanged", sendScreens);
sendScreens();
sendActive();
send({e: "hello", api: six ? 6 : 5});
poll();
