// The element's connection to dorvane-web: one WebSocket to /session, every
// input numbered (the hello too, so numbers only grow), inputs kept until the server acknowledges them and sent
// again after a reconnect, what was drawn acknowledged with "seen" (at most
// every 100 ms), and a dropped socket resumed for up to three minutes with
// growing pauses (after a server restart the next hello starts a new
// session). A close for a policy reason (a bad ticket, a frame too large,
// another page took the session) is final. See docs/web-protocol.md.

const RESUME_MS = 3 * 60 * 1000;
const SEEN_EVERY_MS = 100;
const FINAL_CLOSES = new Set([1008, 1009]);

export class Link {
  // url: the ws(s):// address of /session; ticket(): a Promise of the ticket
  // text; hooks: onMessage(msg), onState(state, detail), onAck(n, byPatch).
  constructor(url, ticket, hooks) {
    this.url = url;
    this.ticket = ticket;
    this.hooks = hooks;
    this.next = 1;            // the n of the next message
    this.unacked = new Map(); // n -> message, in order of n
    this.session = null;
    this.seq = 0;             // the last server message received
    this.seenSent = 0;
    this.seenTimer = null;
    this.socket = null;
    this.closed = false;
    this.lostAt = 0;
    this.retries = 0;
    this.extraHello = {};
  }

  // Opens the first connection.
  start() {
    this.connect();
  }

  // Ends the session for good (the element left the page).
  stop() {
    this.closed = true;
    if (this.socket) this.socket.close(1000);
  }

  // Numbers an input, keeps it until acknowledged and sends it when the socket
  // is open (else after the next welcome). Returns its n.
  send(message) {
    const framed = { n: this.next++, ...message };
    this.unacked.set(framed.n, framed);
    if (this.ready) this.socket.send(JSON.stringify(framed));
    return framed.n;
  }

  get ready() {
    return this.socket !== null && this.socket.readyState === 1 && this.welcomed;
  }

  // The n of the last input handed to send (0 before any).
  get lastSent() {
    return this.next - 1;
  }

  async connect() {
    if (this.closed) return;
    let ticket = '';
    try {
      ticket = await this.ticket();
    } catch (error) {
      this.hooks.onState('error', 'No ticket for the session: ' + error.message);
      return this.retry();
    }
    const socket = new WebSocket(this.url);
    this.socket = socket;
    this.welcomed = false;
    socket.onopen = () => {
      const hello = { n: this.next++, type: 'hello', ticket, ...this.extraHello };
      if (this.session) hello.resume = { session: this.session, seq: this.seq };
      socket.send(JSON.stringify(hello));
    };
    socket.onmessage = (event) => this.receive(event.data);
    socket.onclose = (event) => {
      if (this.socket !== socket) return;
      this.closeCode = event.code;
      this.socket = null;
      this.welcomed = false;
      if (this.closed) return;
      if (FINAL_CLOSES.has(event.code)) {
        this.closed = true;
        this.hooks.onState('closed', event.reason);
        return;
      }
      if (!this.lostAt) this.lostAt = Date.now();
      this.hooks.onState('reconnecting');
      this.retry();
    };
  }

  // Tries again after 0.25, 0.5, 1, 2, 4 then 5 seconds; after three
  // minutes the session is gone and the next welcome starts a new one.
  retry() {
    if (this.closed) return;
    const pause = Math.min(5000, 250 * 2 ** this.retries++);
    if (this.lostAt && Date.now() - this.lostAt > RESUME_MS) this.session = null;
    setTimeout(() => this.connect(), pause);
  }

  receive(text) {
    let msg;
    try {
      msg = JSON.parse(text);
    } catch {
      return;
    }
    if (typeof msg.ack === 'number') {
      this.acknowledge(msg.ack, false);
      return;
    }
    if (typeof msg.seq === 'number') {
      this.seq = msg.seq;
      this.scheduleSeen();
    }
    if (msg.type === 'welcome') return this.welcome(msg);
    this.hooks.onMessage(msg);
    // A patch names the inputs it answers: they are answered now, and the
    // acks that follow it change nothing.
    if (msg.type === 'patch' && Array.isArray(msg.acks)) {
      for (const n of msg.acks) this.acknowledge(n, true);
    }
  }

  // Input n was applied (byPatch: its patch has come): it is not sent again.
  acknowledge(n, byPatch) {
    if (this.unacked.delete(n)) this.hooks.onAck(n, byPatch);
  }

  // A new or resumed session: the inputs not yet acknowledged go again, with
  // their numbers, so the server applies each once. A fresh session knows
  // none of them: they are dropped and the element starts over.
  welcome(msg) {
    const fresh = !msg.resumed && this.session !== null;
    this.session = msg.session;
    this.welcomed = true;
    this.lostAt = 0;
    this.retries = 0;
    if (fresh || !msg.resumed) {
      this.unacked.clear();
      this.seenSent = 0;
    }
    for (const message of this.unacked.values()) this.socket.send(JSON.stringify(message));
    this.hooks.onState(msg.resumed ? 'resumed' : fresh || msg.fresh ? 'restarted' : 'open', msg);
  }

  scheduleSeen() {
    if (this.seenTimer !== null) return;
    this.seenTimer = setTimeout(() => {
      this.seenTimer = null;
      if (!this.ready || this.seq === this.seenSent) return;
      this.seenSent = this.seq;
      this.socket.send(JSON.stringify({ type: 'seen', seq: this.seq }));
    }, SEEN_EVERY_MS);
  }
}
