"""Players and what they do: the text port's commands and the client port's requests.

The game never touches a socket.  Each player has a text sink (write text, a prompt, close,
the state for telnet-negotiated game data, the `client` and `compress` commands) and, once
the client port has logged in under the same name, a client sink (send a message, close);
the network layer supplies both.
"""

import time
import re
from dataclasses import dataclass, field

import media
import wire
import world
from world import colour, cyan, green, magenta, red, white, yellow

MAX_NAME = 20
MAX_SAY = 200
REGEN = (3, 2, 5)  # hit, mana, move gained per regeneration tick
XP_PER_ROOM = 25
XP_PER_LEVEL = 50


@dataclass
class Player:
    name: str
    text: object  # sink with write(str) and close()
    room: str = world.START_ROOM
    hit: int = 80
    hit_max: int = 80
    mana: int = 40
    mana_max: int = 40
    move: int = 100
    move_max: int = 100
    xp: int = 0
    inventory: list = field(default_factory=list)
    visited: set = field(default_factory=lambda: {world.START_ROOM})
    description: str = "A traveller with an honest face."
    client: object = None  # sink with send(Message) and close(), once bound
    pending_edit: tuple | None = None
    lent_mana: int | None = None  # the mana maximum while given to the Lamp

    @property
    def level(self) -> int:
        return 1 + self.xp // XP_PER_LEVEL

    def write(self, text: str):
        self.text.write(text)

    def push(self, *messages):
        if self.client is not None:
            for message in messages:
                self.client.send(message)

    def prompt(self):
        self.report_vitals()
        self.text.prompt(f"\r\n<{self.hit}/{self.hit_max}hp {self.mana}/{self.mana_max}m "
                         f"{self.move}/{self.move_max}mv> ")

    def report_vitals(self):
        """The prompt's numbers, for a client that takes them as game data."""
        self.text.vitals({"hp": self.hit, "maxhp": self.hit_max, "mp": self.mana,
                          "maxmp": self.mana_max, "mv": self.move, "maxmv": self.move_max})

    def gauges(self) -> wire.Message:
        return wire.hitmanamove(self.hit, self.hit_max, self.mana, self.mana_max,
                                self.move, self.move_max)


def _split_lines(text: str) -> list[str]:
    return re.split(r"\r\n|\n|\r", text)


class Game:
    def __init__(self, now: float, text_port: int):
        self.rooms = world.make_rooms()
        self.boards = world.make_boards()
        self.sounds = media.sounds()
        self.clock = world.GameClock(now)
        self.text_port = text_port
        self.started = time.time()  # MSSP's UPTIME: when the world started
        self.players: dict[str, Player] = {}  # by lower-case name
        self.waiting_clients: dict[str, list] = {}  # client sinks waiting for a player
        self.chatter_index = 0
        self.commands = {
            "look": self.do_look, "l": self.do_look,
            "who": self.do_who, "say": self.do_say, "chat": self.do_chat,
            "score": self.do_score, "help": self.do_help, "quit": self.do_quit,
            "get": self.do_get, "drop": self.do_drop,
            "inventory": self.do_inventory, "i": self.do_inventory, "inv": self.do_inventory,
            "equipment": self.do_equipment, "eq": self.do_equipment,
            "identify": self.do_identify, "sound": self.do_sound, "edit": self.do_edit,
            "note": self.do_note, "pray": self.do_pray,
            "msgbox": self.do_msgbox, "board": self.do_board, "boards": self.do_board,
            "time": self.do_time, "news": self.do_news, "clear": self.do_clear,
            "client": self.do_client, "compress": self.do_compress,
            "colours": self.do_colours, "colors": self.do_colours,
        }
        for short, direction in world.DIRECTIONS.items():
            self.commands[short] = self.commands[direction] = self._mover(direction)
        self.client_handlers = {
            wire.PING: self.on_ping, wire.SOUNDGO: self.on_soundgo,
            wire.SOUNDNOGO: self.on_soundnogo, wire.EDIT_REPLY: self.on_edit_reply,
            wire.COMMAND: self.on_command, wire.HELPINDEX_REQUEST: self.on_helpindex_request,
            wire.HELPFILE_REQUEST: self.on_helpfile_request,
            wire.BINDEX_REQUEST: self.on_bindex_request,
            wire.MSGINDEX_REQUEST: self.on_msgindex_request,
            wire.MSG_REQUEST: self.on_msg_request, wire.MSG_DELETE: self.on_msg_delete,
            wire.MSG_POST: self.on_msg_post,
        }

    # ----- entering and leaving

    def check_name(self, name: str) -> str | None:
        """Why a name cannot play, or None."""
        if not name:
            return "Please enter a name."
        if len(name) > MAX_NAME or not re.fullmatch(r"[A-Za-z][A-Za-z0-9_-]*", name):
            return f"Names are letters, digits, '-' and '_', at most {MAX_NAME} long."
        if name.lower() in self.players:
            return "That name is already playing."
        return None

    def enter(self, name: str, text_sink) -> Player:
        player = Player(name.capitalize(), text_sink)
        self.players[name.lower()] = player
        player.write(f"\r\nWelcome to the {yellow('Demo World')}, {player.name}!\r\n"
                     f"Type {white('help')} for the commands. "
                     f"Your client connects on port {self.text_port + 1}.\r\n\r\n")
        self.tell_room(player, f"{player.name} appears in a puff of smoke.")
        for sink in self.waiting_clients.pop(name.lower(), []):
            self.bind(player, sink)
        self.show_room(player)
        self.report_room(player)
        self.refresh_others(player, {player.room})
        player.prompt()
        return player

    def leave(self, player: Player, farewell: bool = True):
        if self.players.get(player.name.lower()) is not player:
            return
        del self.players[player.name.lower()]
        if player.client is not None:
            player.client.send(wire.disconnect())
            player.client.close()
            player.client = None
        if farewell:
            self.tell_room(player, f"{player.name} fades away.")
        self.refresh_others(player, {player.room})

    def client_login(self, sink, user: str) -> Player | None:
        """A client port logged in as `user`: tie it to that player, or wait for them."""
        player = self.players.get(user.lower())
        if player is None:
            self.waiting_clients.setdefault(user.lower(), []).append(sink)
            sink.send(wire.text_mesg(f"Waiting for {user} to enter the world on port "
                                     f"{self.text_port}."))
            return None
        self.bind(player, sink)
        return player

    def client_gone(self, sink):
        for waiting in self.waiting_clients.values():
            if sink in waiting:
                waiting.remove(sink)
        for player in self.players.values():
            if player.client is sink:
                player.client = None
                player.pending_edit = None

    def bind(self, player: Player, sink):
        if player.client is not None and player.client is not sink:
            player.client.send(wire.text_mesg("Another client took over this player."))
            player.client.send(wire.disconnect())
            player.client.close()
        player.client = sink
        sink.bound_player = player
        time_text, date_text = self.clock.texts(self.now)
        player.push(
            wire.text_mesg(f"Welcome to the Demo World, {player.name}."),
            wire.levelreport(player.level),
            wire.datetime_msg(time_text + "\r\n", date_text + "\r\n"),
            wire.who_list(self.who_text()),
            wire.eq_list(self.equipment_text()),
            wire.inv_list(self.inventory_text(player)),
            wire.channel_txt(cyan("[info] ") + "You are tuned in to the gossip channel.\r\n"),
        )
        self.push_room(player)

    now = 0.0  # the network loop sets the current time before every call

    # ----- text port commands

    def command(self, player: Player, line: str):
        words = line.strip().split(None, 1)
        if words:
            verb, rest = words[0].lower(), (words[1] if len(words) > 1 else "")
            handler = self.commands.get(verb)
            if handler is None:
                player.write("Huh? Type 'help' for the commands.\r\n")
            elif handler(player, rest.strip()) == "gone":
                return
        player.prompt()

    def room_of(self, player: Player) -> world.Room:
        return self.rooms[player.room]

    def others_in(self, room_key: str, but: Player | None = None) -> list[Player]:
        return [p for p in self.players.values() if p.room == room_key and p is not but]

    def tell_room(self, player: Player, text: str, room_key: str | None = None):
        for other in self.others_in(room_key or player.room, but=player):
            other.write(f"\r\n{text}\r\n")
            other.prompt()

    def show_room(self, player: Player):
        room = self.room_of(player)
        exits = " ".join(room.exits) or "none"
        heading = f"{cyan(room.name)}\r\n{room.desc}\r\n"
        # A Latin-1 text port carries the UTF-8 bytes as they are; a connection that agreed
        # on UTF-8 encodes all its text so.
        player.write(world.as_utf8(heading) if room.utf8 and not player.text.utf8 else heading)
        player.write(green('[Exits: ' + exits + ']') + "\r\n")
        for item in room.items:
            player.write(yellow(item.short[0].upper() + item.short[1:] + " lies here.") + "\r\n")
        for other in self.others_in(player.room, but=player):
            player.write(white(f"{other.name} is here.") + "\r\n")

    def report_room(self, player: Player):
        """The room as game data: its number, name, area, coordinates (y grows to the south)
        and exits by their short names."""
        numbers = {key: number for number, key in enumerate(self.rooms, 1)}
        room = self.room_of(player)
        x, y, z = room.pos
        player.text.room({"num": numbers[player.room], "name": room.name, "area": room.area,
                          "coord": {"x": x, "y": y, "z": z},
                          "exits": {direction[0]: numbers[key]
                                    for direction, key in room.exits.items()}})

    def status(self) -> list[tuple[str, str]]:
        """What the game tells about itself by MSSP."""
        return [("NAME", "TavClient Demo World"), ("PLAYERS", str(len(self.players))),
                ("UPTIME", str(int(self.started))), ("CODEBASE", "demo_world.py"),
                ("CONTACT", "nobody@example.org"), ("LANGUAGE", "English"),
                ("AREAS", "2"), ("ROOMS", str(len(self.rooms))), ("GMCP", "1"), ("MSDP", "1")]

    def push_room(self, player: Player):
        room = self.room_of(player)
        desc = f"{cyan(room.name)}\r\n{room.desc}\r\n"
        exits = "".join(f"{direction:<6} - {self.rooms[key].name}\r\n"
                        for direction, key in room.exits.items())
        player.push(wire.desctext(desc), wire.exittext(green("Obvious exits:") + "\r\n" + exits),
                    wire.contenttext(self.contents_text(player)), self.map_for(player),
                    player.gauges())

    def contents_text(self, player: Player) -> str:
        room = self.room_of(player)
        lines = [yellow(item.short) for item in room.items]
        lines += [white(other.name) for other in self.others_in(player.room, but=player)]
        return "".join(line + "\r\n" for line in lines) or "Nothing here.\r\n"

    def map_for(self, player: Player) -> wire.Message:
        others = {p.room for p in self.players.values() if p is not player}
        return wire.mapinfo(world.build_map(self.rooms, self.room_of(player), others))

    def refresh_others(self, player: Player, rooms: set[str]):
        """Other players see the change on their maps and, in `rooms`, their contents pane."""
        for other in self.players.values():
            if other is player or other.client is None:
                continue
            other.push(self.map_for(other))
            if other.room in rooms:
                other.push(wire.contenttext(self.contents_text(other)))

    def do_look(self, player, _rest):
        self.show_room(player)
        self.push_room(player)

    def _mover(self, direction):
        return lambda player, _rest: self.move(player, direction)

    def move(self, player: Player, direction: str):
        room = self.room_of(player)
        target = room.exits.get(direction)
        if target is None:
            player.write("Alas, you cannot go that way.\r\n")
            return
        cost = 3 if direction in ("up", "down") else 2
        if player.move < cost:
            player.write(red("You are too exhausted to move.") + "\r\n")
            return
        player.move -= cost
        self.tell_room(player, f"{player.name} leaves {direction}.")
        old_room, player.room = player.room, target
        self.tell_room(player, f"{player.name} arrives from the {world.OPPOSITE[direction]}.")
        self.show_room(player)
        new_room = self.room_of(player)
        if new_room.hurts:
            player.hit = max(1, player.hit - new_room.hurts)
            player.write(red(f"The thorns scratch you! ({new_room.hurts} hit points)") + "\r\n")
        if target not in player.visited:
            player.visited.add(target)
            self.gain_xp(player, XP_PER_ROOM)
        self.push_room(player)
        self.report_room(player)
        if new_room.sound:
            if player.client is not None:
                player.push(wire.sound_query(new_room.sound))
            else:
                player.write(magenta("You hear music, but only the client can play it.") + "\r\n")
        self.refresh_others(player, {old_room, target})

    def gain_xp(self, player: Player, amount: int):
        before = player.level
        player.xp += amount
        player.write(f"You gain {amount} experience for exploring.\r\n")
        if player.level > before:
            player.hit_max += 10
            if player.lent_mana is None:
                player.mana_max += 5
            else:
                player.lent_mana += 5
            player.write(yellow(f"You rise to level {player.level}!") + "\r\n")
            player.push(wire.levelreport(player.level),
                        wire.text_mesg(f"{player.name} reached level {player.level}."))

    def who_text(self) -> str:
        lines = [white("Players in the Demo World"), "-------------------------"]
        for p in sorted(self.players.values(), key=lambda p: p.name):
            where = self.rooms[p.room].name
            lines.append(f"[{p.level:2d}] {yellow(f'{p.name:<10}')} {where}")
        lines.append(f"{len(self.players)} player(s) online.")
        return "\r\n".join(lines) + "\r\n"

    def do_who(self, player, _rest):
        text = self.who_text()
        player.write(text)
        player.push(wire.who_list(text))

    def do_say(self, player, rest):
        if not rest:
            player.write("Say what?\r\n")
            return
        rest = rest[:MAX_SAY]
        player.write(f"You say '{rest}'\r\n")
        self.tell_room(player, f"{player.name} says '{rest}'")

    def do_chat(self, player, rest):
        if not rest:
            player.write("Chat what?\r\n")
            return
        rest = rest[:MAX_SAY]
        player.write(f"You gossip '{rest}'\r\n")
        player.text.channel(player.name, rest)
        self.broadcast_channel(player.name, rest, but=player)
        player.push(wire.channel_txt(f"{magenta('[gossip]')} You: {rest}\r\n"))

    def broadcast_channel(self, speaker: str, text: str, but: Player | None = None):
        for other in self.players.values():
            if other is but:
                continue
            other.text.channel(speaker, text)
            if other.client is not None:
                other.push(wire.channel_txt(f"{magenta('[gossip]')} {speaker}: {text}\r\n"))
            else:
                other.write(f"\r\n{magenta('[gossip]')} {speaker}: {text}\r\n")
                other.prompt()

    def do_score(self, player, _rest):
        player.write(
            f"You are {white(player.name)}, level {player.level} "
            f"({player.xp} experience, {XP_PER_LEVEL - player.xp % XP_PER_LEVEL} to the next).\r\n"
            f"Hit {player.hit}/{player.hit_max}  Mana {player.mana}/{player.mana_max}  "
            f"Move {player.move}/{player.move_max}\r\n"
            f"You have explored {len(player.visited)} of {len(self.rooms)} rooms.\r\n")
        player.push(wire.levelreport(player.level), player.gauges())

    def help_text(self) -> str:
        return (f"{white('Demo World help')}\r\n{world.HELP_TOPICS['commands']}"
                f"Topics: {', '.join(sorted(world.HELP_TOPICS))}\r\n"
                "Type 'help <topic>', or use the client's help window.\r\n")

    def do_help(self, player, rest):
        if rest:
            text = world.HELP_TOPICS.get(rest.lower(), f"No help on '{rest}'.\r\n")
            player.write(text)
            player.push(wire.helpfile_reply(text))
            return
        text = self.help_text()
        player.write(text)
        player.push(wire.text_file("help.txt", text))

    def do_quit(self, player, _rest):
        player.write(f"Goodbye, {player.name}. Come back soon!\r\n")
        self.leave(player)
        player.text.close()
        return "gone"

    def _find_item(self, items, keyword):
        keyword = keyword.lower()
        for item in items:
            if item.keyword.startswith(keyword) or keyword in item.short.split():
                return item
        return None

    def do_get(self, player, rest):
        room = self.room_of(player)
        item = self._find_item(room.items, rest) if rest else None
        if item is None:
            player.write("You do not see that here.\r\n")
            return
        room.items.remove(item)
        player.inventory.append(item)
        player.write(f"You get {item.short}.\r\n")
        self.tell_room(player, f"{player.name} gets {item.short}.")
        player.push(wire.inv_list(self.inventory_text(player)),
                    wire.contenttext(self.contents_text(player)))
        self.refresh_others(player, {player.room})

    def do_drop(self, player, rest):
        item = self._find_item(player.inventory, rest) if rest else None
        if item is None:
            player.write("You do not have that.\r\n")
            return
        player.inventory.remove(item)
        self.room_of(player).items.append(item)
        player.write(f"You drop {item.short}.\r\n")
        self.tell_room(player, f"{player.name} drops {item.short}.")
        player.push(wire.inv_list(self.inventory_text(player)),
                    wire.contenttext(self.contents_text(player)))
        self.refresh_others(player, {player.room})

    def inventory_text(self, player) -> str:
        lines = [white("You are carrying:")]
        lines += ["  " + yellow(item.short) for item in player.inventory] or ["  Nothing."]
        return "\r\n".join(lines) + "\r\n"

    def equipment_text(self) -> str:
        return (white("You are using:") + "\r\n"
                "<worn on body>     a padded tunic\r\n"
                "<worn on feet>     a pair of soft boots\r\n"
                "<held>             a walking stick\r\n")

    def do_inventory(self, player, _rest):
        text = self.inventory_text(player)
        player.write(text)
        player.push(wire.inv_list(text))

    def do_equipment(self, player, _rest):
        text = self.equipment_text()
        player.write(text)
        player.push(wire.eq_list(text))

    def do_identify(self, player, rest):
        item = None
        if rest:
            item = (self._find_item(player.inventory, rest)
                    or self._find_item(self.room_of(player).items, rest))
        if item is None:
            player.write("Identify what? It must be with you or in the room.\r\n")
            return
        player.write(f"You study {item.short} closely.\r\n{item.ident}")
        player.push(wire.idinfo(item.keyword, item.ident))

    def do_sound(self, player, rest):
        name = rest.lower()
        if player.client is None:
            player.write("Sounds need the client connection.\r\n")
        elif name == "stop":
            player.write("You ask for silence.\r\n")
            player.push(wire.soundstop())
        else:
            found = [n for n in self.sounds if n == name or n.split(".")[0] == name]
            if not found:
                player.write(f"Sounds: {', '.join(sorted(self.sounds))}, or 'sound stop'.\r\n")
                return
            player.write(f"You cue {found[0]}.\r\n")
            player.push(wire.sound_query(found[0]))

    def start_edit(self, player, purpose, heading, text) -> bool:
        if player.client is None:
            player.write("Editing needs the client connection.\r\n")
            return False
        if player.pending_edit is not None:
            player.push(wire.text_mesg("Finish the edit you have open first."))
            return False
        player.pending_edit = purpose
        player.push(wire.edit_request(heading, text))
        return True

    def do_edit(self, player, _rest):
        if self.start_edit(player, ("description",), "Your description (press Done to send it)",
                           player.description):
            player.write("Your editor opens in the client.\r\n")

    def do_note(self, player, _rest):
        if self.start_edit(player, ("note",), "A note to yourself (starts empty)", None):
            player.write("An empty page opens in the client.\r\n")

    def do_pray(self, player, _rest):
        # A maximum of 0 is what a character without magic reports.
        if player.lent_mana is None:
            player.lent_mana, player.mana_max, player.mana = player.mana_max, 0, 0
            player.write("You give your magic to the Lamp. You have no mana at all now.\r\n")
        else:
            player.mana_max, player.lent_mana = player.lent_mana, None
            player.write("The Lamp gives your magic back.\r\n")
        player.push(player.gauges())

    def do_client(self, player, _rest):
        player.write(white("Your connection:") + "\r\n")
        for line in player.text.client_lines():
            player.write(f"  {line}\r\n")

    def do_colours(self, player, _rest):
        """A test card: each colour range as far as the client's MTTS answer says it shows
        (the nearest lower range stands in for the others), then text beyond Latin-1."""
        depth = player.text.colour_depth()
        shown = {24: "true colour", 8: "256 colours", 4: "16 colours"}[depth]
        player.write(white("Colours and characters") + f" (your client shows {shown}):\r\n")
        names = ("black", "red", "green", "yellow", "blue", "magenta", "cyan", "white")
        player.write("  " + " ".join(colour(str(30 + k), n) for k, n in enumerate(names))
                     + "\r\n  " + " ".join(colour(f"1;{30 + k}", n) for k, n in enumerate(names))
                     + "\r\n  " + "".join(colour(f"30;{40 + k}", f" {n} ") for k, n in
                                          enumerate(names)) + "\r\n")
        ramp = "".join(f"{world.ESC}[48;5;{n}m " for n in range(232, 256))
        cube = "".join(f"{world.ESC}[48;5;{16 + 36 * k + 5}m " for k in range(6))
        if depth >= 8:
            player.write(f"  256: {cube}{ramp}{world.RESET} "
                         f"{world.ESC}[38;5;208morange{world.RESET}\r\n")
        if depth >= 24:
            word = "".join(f"{world.ESC}[38;2;{255 - 20 * k};{20 * k};128m{c}"
                           for k, c in enumerate("true colour"))
            player.write(f"  24-bit: {word}{world.RESET} "
                         f"{world.ESC}[48;2;40;0;80m on plum {world.RESET}\r\n")
        player.write("  Text: caf\u00e9 \u20ac, \u4e2d\u6587, \u65e5\u672c\u8a9e, "
                     "\U0001f409\r\n")

    def do_compress(self, player, rest):
        if rest.lower() not in ("on", "off"):
            player.write("Usage: compress on|off\r\n")
            return
        player.write(player.text.compress(rest.lower() == "on") + "\r\n")

    def do_msgbox(self, player, _rest):
        if player.client is None:
            player.write("Message boxes need the client connection.\r\n")
            return
        player.write("A message box pops up in your client.\r\n")
        player.push(wire.msgbox(f"Greetings, {player.name}! This box comes from the world."))

    def do_board(self, player, _rest):
        player.write(white("Boards:") + "\r\n")
        for board in self.boards:
            player.write(f"  {board.number}  {board.title:<14} {len(board.posts)} message(s)\r\n")
        player.write("Read them in the client's boards window.\r\n")
        player.push(self.bindex())

    def do_time(self, player, _rest):
        time_text, date_text = self.clock.texts(self.now)
        player.write(f"It is {time_text}, {date_text}.\r\n")
        player.push(wire.datetime_msg(time_text, date_text))

    def do_news(self, player, _rest):
        player.write(world.NEWS)
        player.push(wire.text_file("news.txt", world.NEWS))

    def do_clear(self, player, _rest):
        player.write(world.ESC + "[H" + world.ESC + "[J")

    # ----- client port requests

    def client_message(self, sink, message: wire.Message):
        handler = self.client_handlers.get(message.type)
        if handler is not None:
            handler(sink, getattr(sink, "bound_player", None), message)

    def _needs_player(self, sink, player) -> bool:
        if player is None:
            sink.send(wire.text_mesg("Enter the world on the text port first."))
            return False
        return True

    def on_ping(self, sink, _player, _message):
        sink.send(wire.pingresponse())

    def on_soundgo(self, sink, _player, message):
        name = message.text1.decode("latin-1")
        content = self.sounds.get(name)
        if content is None:
            sink.send(wire.text_mesg(f"No sound named {name}."))
        else:
            sink.send(wire.sound_file(name, content))

    def on_soundnogo(self, _sink, _player, _message):
        pass  # the client plays its own copy

    def on_edit_reply(self, sink, player, message):
        if not self._needs_player(sink, player):
            return
        text = message.text_data().decode("latin-1")
        purpose, player.pending_edit = player.pending_edit, None
        if purpose is not None and purpose[0] == "post":
            self.finish_post(player, purpose[1], purpose[2], text)
            player.prompt()
            return
        if purpose == ("note",):
            player.write("\r\n" + white("Your note:") + "\r\n")
        elif purpose is not None:
            player.description = text
            player.write("\r\n" + white("Your description now reads:") + "\r\n")
        else:
            player.write("\r\n" + white("The client sent this text:") + "\r\n")
        for line in _split_lines(text):
            player.write(f"  {line}\r\n")
        player.prompt()

    def on_command(self, sink, player, message):
        if self._needs_player(sink, player):
            player.write("\r\n")
            self.command(player, message.text1.decode("latin-1"))

    def on_helpindex_request(self, sink, _player, _message):
        sink.send(wire.helpindex_reply(sorted(world.HELP_TOPICS), world.HELP_ENTRY_SIZE))

    def on_helpfile_request(self, sink, _player, message):
        topic = message.text1.decode("latin-1")
        text = world.HELP_TOPICS.get(topic.lower(), f"No help on '{topic}'.\r\n")
        sink.send(wire.helpfile_reply(white(topic.upper()) + "\r\n\r\n" + text))

    def bindex(self) -> wire.Message:
        return wire.bindex_reply([(board.number, board.title) for board in self.boards])

    def on_bindex_request(self, sink, _player, _message):
        sink.send(self.bindex())

    def _numbers(self, text: bytes, count: int) -> list[int] | None:
        parts = text.split()
        if len(parts) < count:
            return None
        try:
            return [int(part) for part in parts[:count]]
        except ValueError:
            return None

    def _board(self, sink, number) -> world.Board | None:
        if number is not None and 0 <= number < len(self.boards):
            return self.boards[number]
        sink.send(wire.text_mesg("No such board."))
        return None

    def _post(self, sink, text1) -> tuple[world.Board, int] | None:
        numbers = self._numbers(text1, 2)
        board = self._board(sink, numbers[0] if numbers else None)
        if board is None:
            return None
        if not 0 <= numbers[1] < len(board.posts):
            sink.send(wire.text_mesg("No such message."))
            return None
        return board, numbers[1]

    def on_msgindex_request(self, sink, _player, message):
        numbers = self._numbers(message.text1, 1)
        board = self._board(sink, numbers[0] if numbers else None)
        if board is not None:
            sink.send(wire.msgindex_reply(
                [world.post_line(i, post) for i, post in enumerate(board.posts)]))

    def on_msg_request(self, sink, _player, message):
        found = self._post(sink, message.text1)
        if found is not None:
            board, index = found
            post = board.posts[index]
            sink.send(wire.msg_reply(
                f"{green('Board:')} {board.title}\r\n{green('From:')} {post.author}\r\n"
                f"{green('Subject:')} {white(post.heading)}\r\n\r\n{post.body}"))

    def on_msg_delete(self, sink, player, message):
        if not self._needs_player(sink, player):
            return
        found = self._post(sink, message.text1)
        if found is None:
            return
        board, index = found
        if board.posts[index].author.lower() != player.name.lower():
            sink.send(wire.text_mesg("You can only delete your own messages."))
            return
        del board.posts[index]
        sink.send(wire.text_mesg(f"Message {index + 1} deleted from {board.title}."))
        self.board_changed(board, but=player)

    def on_msg_post(self, sink, player, message):
        if not self._needs_player(sink, player):
            return
        numbers = self._numbers(message.text1, 1)
        board = self._board(sink, numbers[0] if numbers else None)
        if board is None:
            return
        heading = message.text2.decode("latin-1").strip() or "<no heading>"
        if self.start_edit(player, ("post", board.number, heading),
                           f"New message on {board.title}: {heading}", ""):
            player.write(f"\r\nWrite your message on {board.title} in the client's editor.\r\n")
            player.prompt()

    def finish_post(self, player, number, heading, body):
        board = self.boards[number]
        body = "\r\n".join(_split_lines(body)).rstrip("\r\n") + "\r\n"
        board.posts.append(world.Post(player.name, heading, body))
        player.write(f"\r\nYour message '{heading}' is posted on {board.title}.\r\n")
        self.board_changed(board)

    def board_changed(self, board, but: Player | None = None):
        for other in self.players.values():
            if other is not but:
                other.push(wire.brdupdate(board.number))

    # ----- timers

    def regenerate(self):
        for player in self.players.values():
            before = (player.hit, player.mana, player.move)
            player.hit = min(player.hit_max, player.hit + REGEN[0])
            player.mana = min(player.mana_max, player.mana + REGEN[1])
            player.move = min(player.move_max, player.move + REGEN[2])
            if (player.hit, player.mana, player.move) != before:
                player.push(player.gauges())
                player.report_vitals()

    def chatter(self):
        speaker, text = world.CHATTER[self.chatter_index % len(world.CHATTER)]
        self.chatter_index += 1
        for player in self.players.values():
            player.text.channel(speaker, text)
            player.push(wire.channel_txt(f"{magenta('[gossip]')} {speaker}: {text}\r\n"))

    def clock_tick(self):
        time_text, date_text = self.clock.texts(self.now)
        for player in self.players.values():
            player.push(wire.datetime_msg(time_text + "\r\n", date_text + "\r\n"))

    def shutdown(self):
        for player in list(self.players.values()):
            player.write("\r\n" + red("The Demo World is shutting down. Goodbye!") + "\r\n")
            player.push(wire.disconnect())
