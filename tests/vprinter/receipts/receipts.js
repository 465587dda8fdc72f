// Prints one receipt from each of three widely used ESC/POS libraries to the virtual
// printer over TCP, as their users would: text styles, tables and rules, code pages with
// non-ASCII text, barcodes, a QR code, an image, the drawer, a cut. One connection a
// library, one after the other (the printer takes one at a time).
//
//   node receipts.js HOST PORT
//
// Prints the data of every barcode and QR code sent, one a line, for the caller to find
// on the tickets.
'use strict';

const net = require('net');
const { PNG } = require('pngjs');
const ImageData = require('@canvas/image-data');

const [host, port] = [process.argv[2], Number(process.argv[3])];
const codes = [];

// A logo of 128 x 64 dots: a frame, a disc and stripes, as RGBA.
function logo(width = 128, height = 64) {
  const data = new Uint8ClampedArray(width * height * 4);
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const frame = x < 3 || y < 3 || x >= width - 3 || y >= height - 3;
      const disc = (x - 40) ** 2 + (y - 32) ** 2 < 20 ** 2;
      const stripe = x > 72 && x < 120 && y % 8 < 4;
      const v = frame || disc || stripe ? 0 : 255;
      data.set([v, v, v, 255], (y * width + x) * 4);
    }
  }
  return { width, height, data };
}

// With RECEIPTS_DUMP set, each receipt's bytes are also written to a file in that folder.
function dump(name, bytes) {
  if (!process.env.RECEIPTS_DUMP) return;
  require('fs').writeFileSync(require('path').join(process.env.RECEIPTS_DUMP, name + '.bin'),
                              Buffer.from(bytes));
}

function send(name, bytes) {
  dump(name, bytes);
  return new Promise((resolve, reject) => {
    const socket = net.connect(port, host, () => socket.end(Buffer.from(bytes)));
    socket.on('data', () => {});  // status replies: not read here
    socket.on('error', reject);
    socket.on('close', resolve);
  });
}

async function receiptPrinterEncoder() {
  const { default: Encoder } = await import('@point-of-sale/receipt-printer-encoder');
  const e = new Encoder({ language: 'esc-pos', printerModel: 'epson-tm-t88vi', columns: 42 });
  const img = logo();
  e.initialize()
    .codepage('auto')
    .align('center')
    .size(2, 2).line('RECEIPT ENCODER').size(1, 1)
    .line('Café crème · Straße · Ærø · 5,00 €')
    .line('Καλημέρα · Привет · İstanbul · Zażółć')
    .align('left')
    .bold(true).line('bold').bold(false)
    .italic(true).line('italic').italic(false)
    .underline(true).line('underline').underline(false)
    .invert(true).line('inverted').invert(false)
    .width(2).line('wide').width(1)
    .rule({ style: 'double' })
    .table(
      [{ width: 28, align: 'left' }, { width: 13, align: 'right' }],
      [['Crème brûlée', '4,50 €'], ['Smørrebrød', '6,20 €'], [(enc) => enc.bold(true).text('Total'), (enc) => enc.bold(true).text('10,70 €')]])
    .rule()
    .box({ width: 30, align: 'center', style: 'double' }, 'Merci beaucoup!')
    .align('center')
    .barcode('4006381333931', 'ean13', 60)
    .barcode('RPE-128-0042', 'code128', 60)
    .barcode('RPE39', 'code39', 60)
    .qrcode('https://example.com/receipt-printer-encoder', 2, 6, 'm')
    .image(new ImageData(img.data, img.width, img.height), 128, 64, 'threshold')
    .pulse()
    .cut();
  codes.push('4006381333931', 'RPE-128-0042', 'RPE39',
             'https://example.com/receipt-printer-encoder');
  await send('receipt-printer-encoder', e.encode());
}

async function nodeThermalPrinter() {
  const { ThermalPrinter, PrinterTypes, CharacterSet } = require('node-thermal-printer');
  const p = new ThermalPrinter({
    type: PrinterTypes.EPSON,
    interface: `tcp://${host}:${port}`,
    characterSet: CharacterSet.PC858_EURO,
    width: 42,
  });
  p.alignCenter();
  p.setTextQuadArea();
  p.println('THERMAL PRINTER');
  p.setTextNormal();
  p.println('Déjà vu à Zürich: 3,50 €');
  p.alignLeft();
  p.bold(true); p.println('bold'); p.bold(false);
  p.underline(true); p.println('underline'); p.underline(false);
  p.underlineThick(true); p.println('thick underline'); p.underlineThick(false);
  p.invert(true); p.println('inverted'); p.invert(false);
  p.setTextDoubleHeight(); p.println('double height'); p.setTextNormal();
  p.setTypeFontB(); p.println('font B, the smaller one'); p.setTypeFontA();
  p.upsideDown(true); p.println('upside down'); p.upsideDown(false);
  p.drawLine();
  p.tableCustom([
    { text: 'Café au lait', align: 'LEFT', width: 0.6 },
    { text: '2,80 €', align: 'RIGHT', width: 0.35 },
  ]);
  p.leftRight('Subtotal', '2,80 €');
  p.drawLine('=');
  p.setCharacterSet(CharacterSet.PC852_LATIN2);
  p.println('Łódź, Brno: žluťoučký kůň');
  p.setCharacterSet(CharacterSet.WPC1251_CYRILLIC);
  p.println('Москва: спасибо');
  p.setCharacterSet(CharacterSet.PC858_EURO);
  p.alignCenter();
  p.printBarcode('5901234123457', 67, { hriPos: 2, hriFont: 0, width: 3, height: 80 });
  p.printBarcode('NTP-128', 73, { hriPos: 2, hriFont: 0, width: 3, height: 80 });
  p.printQR('https://example.com/node-thermal-printer', { cellSize: 6, correction: 'M', model: 2 });
  const png = new PNG({ width: 128, height: 64 });
  png.data = Buffer.from(logo().data);
  await p.printImageBuffer(PNG.sync.write(png));
  p.openCashDrawer();
  p.cut();
  codes.push('5901234123457', 'NTP-128', 'https://example.com/node-thermal-printer');
  dump('node-thermal-printer', p.getBuffer());
  await p.execute();
}

async function escposBuffer() {
  const { Printer, InMemory, Image, Style, Align, Drawer, Cut } = require('escpos-buffer');
  const connection = new InMemory();
  const p = await Printer.CONNECT('TM-T20', connection);
  await p.setCodepage('cp850');
  await p.writeln('ESCPOS BUFFER', Style.DoubleWidth | Style.DoubleHeight, Align.Center);
  await p.writeln('Açaí, pão de queijo: R$ 12,50', 0, Align.Center);
  await p.writeln('bold', Style.Bold);
  await p.writeln('italic', Style.Italic);
  await p.writeln('underline', Style.Underline);
  await p.writeln('condensed text in the smaller font', Style.Condensed);
  await p.withStyle({ width: 2, height: 1, bold: true, align: Align.Right }, async () => {
    await p.writeln('wide, right');
  });
  await p.writeln('-'.repeat(p.columns));
  await p.writeln('Coxinha' + ' '.repeat(p.columns - 7 - 6) + ' 6,00');
  await p.writeln('Guaraná' + ' '.repeat(p.columns - 7 - 6) + ' 6,50');
  await p.qrcode('https://example.com/escpos-buffer', 6);
  const img = logo();
  await p.draw(new Image({ width: img.width, height: img.height, data: Buffer.from(img.data) }));
  await p.buzzer();
  await p.drawer(Drawer.First);
  await p.feed(2);
  await p.cutter(Cut.Full);
  codes.push('https://example.com/escpos-buffer');
  await send('escpos-buffer', connection.buffer());
}

(async () => {
  for (const print of [receiptPrinterEncoder, nodeThermalPrinter, escposBuffer]) {
    await print();
  }
  for (const code of codes) console.log(code);
})().catch((err) => {
  console.error(err);
  process.exit(1);
});
