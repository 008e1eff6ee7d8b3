/*
 * A small static file server on 127.0.0.1 for the browser test: serves one
 * folder, read-only, on a free port. The .wasm type matters: the browser
 * compiles the program while it downloads only when it is application/wasm.
 */
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};

function startStaticServer(root) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    const urlPath = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const relative = urlPath.endsWith('/') ? urlPath + 'index.html' : urlPath;
    const file = path.resolve(base, '.' + relative);
    if (file !== base && !file.startsWith(base + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
        return;
      }
      const type = TYPES[path.extname(file)] || 'application/octet-stream';
      response.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' }).end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      resolve({
        url: 'http://127.0.0.1:' + port + '/',
        close: () => new Promise((done) => {
          server.closeAllConnections();
          server.close(() => done());
        }),
      });
    });
  });
}

module.exports = { startStaticServer };
